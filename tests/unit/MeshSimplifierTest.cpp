#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "ImportRegistries.h"
#include "LevelOfDetailBuild.h"
#include "MeshLOD.h"
#include "MeshSimplifier.h"
#include "SimplifierInput.h"

namespace {

using qm::MeshSimplifier;
using qm::MVertex;
using qm::Vertex;

std::vector<Vertex> verticesAt(const std::vector<glm::vec3>& positions)
{
    std::vector<Vertex> vertices;
    for (std::size_t i = 0; i < positions.size(); ++i)
        vertices.push_back({positions[i], {0, 0, 1}, {float(i), 0}});
    return vertices;
}

MeshSimplifier simplifierOf(const std::vector<glm::vec3>& positions, const std::vector<std::uint32_t>& indices)
{
    return MeshSimplifier(verticesAt(positions), indices, std::make_shared<qm::Material>());
}

const MVertex& vertexAt(const MeshSimplifier& s, glm::vec3 position)
{
    for (const MVertex* v : s.vertices) {
        if (v && v->position == position)
            return *v;
    }
    throw std::runtime_error("no vertex there");
}

// A flat grid of columns x rows vertices in the xy plane.
MeshSimplifier flatGrid(int columns, int rows)
{
    std::vector<glm::vec3> positions;
    std::vector<std::uint32_t> indices;
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < columns; ++x)
            positions.push_back({float(x) + 0.01f * float(y), float(y), 0});
    for (int y = 0; y + 1 < rows; ++y) {
        for (int x = 0; x + 1 < columns; ++x) {
            const auto a = std::uint32_t(y * columns + x);
            const auto c = std::uint32_t(columns);
            indices.insert(indices.end(), {a, a + 1, a + c + 1, a, a + c + 1, a + c});
        }
    }
    return simplifierOf(positions, indices);
}

void expectInvariants(const MeshSimplifier& s)
{
    const std::vector<MVertex*> order = s.ordered();
    EXPECT_EQ(order.size() + s.collapsedCount, s.vertices.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const MVertex* vertex = order[i];
        ASSERT_EQ(s.vertices[std::size_t(vertex->id)], vertex) << "ids name their vertices";
        if (i + 1 < order.size()) {
            EXPECT_LE(vertex->cost, order[i + 1]->cost);
        }
        for (const MVertex* n : vertex->neighbours) {
            const auto& back = n->neighbours;
            EXPECT_EQ(std::count_if(back.begin(), back.end(), [&](const MVertex* m) { return m->id == vertex->id; }), 1)
                << "neighbours are symmetric";
        }
    }
}

TEST(MeshSimplifier, WeldsPositionsCloserThanATenThousandth)
{
    for (const auto& [gap, expected] : {std::pair{0.00005f, 3u}, std::pair{0.0001f, 4u}, std::pair{0.0002f, 4u}}) {
        // Distinct x coordinates, so no other vertex falls between the pair in x order.
        const MeshSimplifier s =
            simplifierOf({{0.5f, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5f + gap, 0, 0}}, {0, 1, 2, 3, 2, 1});
        EXPECT_EQ(s.vertices.size(), expected) << gap;
        EXPECT_EQ(s.collapsedCount, 0u);
        expectInvariants(s);
    }
}

TEST(MeshSimplifier, AQuadOfSixVerticesWeldsToFour)
{
    const glm::vec3 a(0, 0, 0), b(2, 0.1f, 0), c(3, 1, 0), d(1, 1.1f, 0);
    const MeshSimplifier s = simplifierOf({a, b, c, a, c, d}, {0, 1, 2, 3, 4, 5});
    ASSERT_EQ(s.vertices.size(), 4u);
    EXPECT_EQ(vertexAt(s, a).neighbours.size(), 3u);
    EXPECT_EQ(vertexAt(s, c).neighbours.size(), 3u);
    EXPECT_EQ(vertexAt(s, b).neighbours.size(), 2u);
    EXPECT_EQ(vertexAt(s, d).neighbours.size(), 2u);
    // In the order the triangles were read, corner order inside each.
    const auto& around = vertexAt(s, a).neighbours;
    EXPECT_EQ(around[0]->position, b);
    EXPECT_EQ(around[1]->position, c);
    EXPECT_EQ(around[2]->position, d);
    expectInvariants(s);
}

TEST(MeshSimplifier, EdgeCostIsLengthTimesCurvature)
{
    const glm::vec3 u(0, 0, 0), v(2, 0, 0);
    const struct {
        const char* name;
        glm::vec3 second[2];  // the other two corners of u's second face
        float cost;
    } cases[] = {
        {"second face bent 90 degrees, without v", {{0, 0, 1}, {1, 0, 0}}, 1.0f},
        {"second face bent 90 degrees, with v", {{2, 0, 0}, {0, 0, -2}}, 0.0f},
        {"second face opposite, without v", {{0, 1, 0}, {1, 0, 0}}, 2.0f},
    };
    for (const auto& c : cases) {
        // Face 1 (u, v, w) faces +z; face 2 (u, p, q) has the normal of the case.
        const MeshSimplifier s = simplifierOf({u, v, {0, 2, 0}, c.second[0], c.second[1]}, {0, 1, 2, 0, 3, 4});
        EXPECT_NEAR(vertexAt(s, u).edgeCost(vertexAt(s, v)), c.cost, 1e-6f) << c.name;
    }
}

TEST(MeshSimplifier, CostsPickTheFirstOfEquallyCheapNeighbours)
{
    const MeshSimplifier s = flatGrid(4, 4);
    for (const MVertex* vertex : s.vertices) {
        EXPECT_EQ(vertex->cost, 0.0f) << "a flat surface bends nowhere";
        ASSERT_FALSE(vertex->neighbours.empty());
        EXPECT_EQ(vertex->collapseTarget, vertex->neighbours.front());
    }
}

TEST(MeshSimplifier, IsolatedVerticesGoFirst)
{
    MeshSimplifier s = simplifierOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}, {6, 6, 6}}, {0, 1, 2});
    ASSERT_EQ(s.vertices.size(), 5u);
    EXPECT_EQ(s.ordered()[0]->cost, qm::isolatedVertexCost);
    EXPECT_EQ(s.ordered()[1]->cost, qm::isolatedVertexCost);
    const auto mesh = s.simplify(0.6f);  // 5 -> 3: exactly the two isolated ones
    ASSERT_EQ(mesh->getVertices().size(), 3u);
    EXPECT_EQ(mesh->getIndices().size(), 3u);
    for (const Vertex& v : mesh->getVertices())
        EXPECT_LT(v.position.x, 2.0f);
}

TEST(MeshSimplifier, ReducesToTheTargetRatioOfWhatRemains)
{
    MeshSimplifier s = flatGrid(40, 25);  // 1000 vertices
    const auto level1 = s.simplify(0.6f);
    EXPECT_EQ(level1->getVertices().size(), 600u);
    expectInvariants(s);
    const std::vector<Vertex> level1Vertices = level1->getVertices();
    const std::vector<std::uint32_t> level1Indices = level1->getIndices();

    const auto level2 = s.simplify(0.4f);  // continues from level 1: 600 * 0.4
    EXPECT_EQ(level2->getVertices().size(), 240u);
    expectInvariants(s);
    EXPECT_EQ(level1->getIndices(), level1Indices) << "earlier outputs are independent copies";
    EXPECT_EQ(level1->getVertices().size(), level1Vertices.size());

    for (const auto& mesh : {level1, level2}) {
        EXPECT_EQ(mesh->getIndices().size() % 3, 0u);
        for (std::uint32_t index : mesh->getIndices())
            EXPECT_LT(index, mesh->getVertices().size());
        for (const Vertex& v : mesh->getVertices())
            EXPECT_TRUE(std::isfinite(v.normal.x) && std::isfinite(v.normal.y) && std::isfinite(v.normal.z));
    }
}

TEST(MeshSimplifier, ARatioOfOneWritesTheWeldedMesh)
{
    MeshSimplifier s = flatGrid(5, 5);
    const auto mesh = s.simplify(1.0f);
    EXPECT_EQ(mesh->getVertices().size(), 25u);
    EXPECT_EQ(mesh->getIndices().size(), 4u * 4u * 6u);
    // Written in ascending cost order, indexing only written vertices.
    const std::vector<MVertex*> order = s.ordered();
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(order[i]->outputIndex, int(i));
    EXPECT_EQ(mesh->getVertices()[0].normal, glm::vec3(0, 0, 1));
}

TEST(MeshSimplifier, StopsAtTheNoCollapseCost)
{
    MeshSimplifier s = flatGrid(4, 4);
    for (MVertex* vertex : s.vertices)
        vertex->cost = qm::noCollapseCost;
    const auto first = s.simplify(0.5f);
    EXPECT_EQ(s.collapsedCount, 0u);
    const auto second = s.simplify(0.5f);
    EXPECT_EQ(first->getIndices(), second->getIndices());
    EXPECT_EQ(first->getVertices().size(), 16u);
}

TEST(MeshSimplifier, ACollapseRemovesExactlyTheTrianglesOnTheEdge)
{
    const glm::vec3 a(0, 0, 0), b(2, 0.1f, 0), c(3, 1, 0), d(1, 1.1f, 0);
    MeshSimplifier s = simplifierOf({a, b, c, d}, {0, 1, 2, 0, 2, 3});
    MVertex* u = const_cast<MVertex*>(&vertexAt(s, c));
    MVertex* v = const_cast<MVertex*>(&vertexAt(s, b));
    // c is on both triangles, b only on the first: the first goes, the second takes b for c.
    s.collapse(u, v);
    ASSERT_EQ(s.triangles[0], nullptr);
    ASSERT_NE(s.triangles[1], nullptr);
    EXPECT_EQ(s.triangles[1]->corners[0]->position, a);
    EXPECT_EQ(s.triangles[1]->corners[1]->position, b) << "at c's former corner position";
    EXPECT_EQ(s.triangles[1]->corners[2]->position, d);
    EXPECT_EQ(vertexAt(s, b).neighbours.size(), 2u);
}

TEST(MeshSimplifier, DegenerateTrianglesLeaveNoNaNAndPointsAreNotWritten)
{
    // A zero-area triangle, and one whose corners all weld into one vertex.
    MeshSimplifier s = simplifierOf({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {5, 5, 5}, {5, 5, 5.00001f}, {5, 5, 5}},
                                    {0, 1, 2, 0, 1, 3, 4, 5, 6});
    const auto mesh = s.simplify(1.0f);
    EXPECT_EQ(mesh->getIndices().size(), 6u) << "the point triangle is not written";
    for (const Vertex& v : mesh->getVertices())
        EXPECT_FALSE(std::isnan(v.normal.x) || std::isnan(v.normal.y) || std::isnan(v.normal.z));
}

TEST(LevelOfDetailBuild, SplitsChainsIntoTenRangesAndTheRestOnTheCaller)
{
    const struct {
        std::size_t chains;
        std::size_t chunk;
    } cases[] = {{0, 0}, {7, 0}, {11, 1}, {25, 2}};
    for (const auto& c : cases) {
        for (std::size_t i = 0; i < qm::lodWorkers; ++i) {
            const qm::WorkerRange range = qm::workerRange(i, c.chains);
            EXPECT_EQ(range.first, i * c.chunk);
            EXPECT_EQ(range.last, (i + 1) * c.chunk);
        }
        EXPECT_EQ(qm::callerRange(c.chains).first, 10 * c.chunk);
        EXPECT_EQ(qm::callerRange(c.chains).last, c.chains);
    }
    // With 25 chains, thread 5 builds chains 10 and 11 and so prints "Almost there...".
    EXPECT_EQ(qm::workerRange(5, 25).first, 10u);
}

TEST(LevelOfDetailBuild, BuildsBothLevelsOfEachChainInItsRange)
{
    auto& chains = qm::registries().lodList;
    chains.clear();
    for (int i = 0; i < 12; ++i) {
        // A 5 x 4 grid written out whole is a valid level 0.
        MeshSimplifier grid = flatGrid(5, 4);
        const auto mesh = grid.simplify(1.0f);
        chains.push_back(std::make_shared<qm::MeshLOD>(mesh, mesh, mesh));
    }
    testing::internal::CaptureStdout();
    qm::generateLODRange(9, 12);
    const std::string progress = testing::internal::GetCapturedStdout();
    EXPECT_EQ(progress, "...\n...\nAlmost there...\n...\n");
    for (std::size_t i = 0; i < chains.size(); ++i) {
        const bool built = i >= 9;
        EXPECT_EQ(chains[i]->getLevel(1) != chains[i]->getLevel(0), built) << i;
        if (built) {
            EXPECT_EQ(chains[i]->getLevel(1)->getVertices().size(), 12u);
            EXPECT_EQ(chains[i]->getLevel(2)->getVertices().size(), 4u);
        }
    }
    chains.clear();
}

}  // namespace

namespace {

// The whole build on its ten threads. Without pictures every billboard is
// empty, so no GL is needed and the threads can be checked on their own.
TEST(LevelOfDetailBuild, GeneratesEveryChainOnTheWorkers)
{
    auto& r = qm::registries();
    r.assetDirectory = "/nonexistent";
    r.meshLODs.clear();
    for (int i = 0; i < 25; ++i) {
        MeshSimplifier grid = flatGrid(6, 5);
        const auto mesh = grid.simplify(1.0f);
        auto chain = std::make_shared<qm::MeshLOD>(mesh, mesh, mesh);
        chain->computeBoundingBox();
        r.meshLODs.emplace("mesh" + std::to_string(i), chain);
    }
    testing::internal::CaptureStdout();
    qm::generateLODs();
    const std::string progress = testing::internal::GetCapturedStdout();

    EXPECT_EQ(std::count(progress.begin(), progress.end(), '\n'), 26);
    EXPECT_EQ(progress.find("Almost there..."), progress.rfind("Almost there...")) << "printed once";
    ASSERT_EQ(r.lodList.size(), 25u);
    for (const auto& chain : r.lodList) {
        EXPECT_NE(chain->getLevel(1), chain->getLevel(0));
        EXPECT_NE(chain->getLevel(2), chain->getLevel(1));
        EXPECT_EQ(chain->getLevel(1)->getVertices().size(), 18u);  // 30 * 0.6
        EXPECT_EQ(chain->getLevel(2)->getVertices().size(), 7u);   // 18 * 0.4
        EXPECT_EQ(chain->getLevel(3), nullptr);
    }
    r.meshLODs.clear();
    r.lodList.clear();
}

}  // namespace

namespace {

// A cone of `sides` triangles around one apex, bumpy so that nothing is flat.
std::pair<std::vector<glm::vec3>, std::vector<std::uint32_t>> coneOf(std::uint32_t sides)
{
    std::vector<glm::vec3> positions{{0, 1, 0}};
    std::vector<std::uint32_t> indices;
    for (std::uint32_t i = 0; i < sides; ++i) {
        const float a = 6.2831853f * float(i) / float(sides);
        positions.emplace_back(std::cos(a), 0.1f * float(i % 3), std::sin(a));
        indices.insert(indices.end(), {0, 1 + i, 1 + (i + 1) % sides});
    }
    return {positions, indices};
}

MeshSimplifier cone(std::uint32_t sides)
{
    const auto [positions, indices] = coneOf(sides);
    return simplifierOf(positions, indices);
}

}  // namespace

TEST(MeshSimplifier, AVertexSharedByThousandsOfTrianglesIsNotSimplified)
{
    // Its cost would be worked out again after each of its thousands of neighbours collapsed.
    MeshSimplifier hub = cone(40000);
    EXPECT_TRUE(hub.gaveUp);
    EXPECT_EQ(hub.simplify(0.6f), nullptr);
    EXPECT_EQ(hub.simplify(0.4f), nullptr);

    MeshSimplifier ordinary = cone(64);
    const auto level1 = ordinary.simplify(0.6f);
    ASSERT_NE(level1, nullptr);
    EXPECT_LT(level1->getVertices().size(), 65u);
    EXPECT_FALSE(ordinary.gaveUp);
}

TEST(LevelOfDetailBuild, AMeshTooCostlyToSimplifyKeepsItsFullDetail)
{
    auto& r = qm::registries();
    r.assetDirectory = "/nonexistent";
    r.meshLODs.clear();
    const auto [positions, indices] = coneOf(40000);
    const auto mesh = std::make_shared<qm::Mesh>(verticesAt(positions), indices, nullptr);
    auto chain = std::make_shared<qm::MeshLOD>(mesh, mesh, mesh);
    chain->computeBoundingBox();
    r.meshLODs.emplace("hub", chain);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    qm::generateLODs();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Keeping the mesh \"hub\" at full detail: simplifying it would take too long.\n");
    EXPECT_EQ(chain->getLevel(1), mesh);
    EXPECT_EQ(chain->getLevel(2), mesh);
    r.meshLODs.clear();
    r.lodList.clear();
}

// Meshes the fuzzer found taking minutes (edges shared by many triangles),
// before the work budget: they now end, with levels or without.
TEST(MeshSimplifier, FuzzFindingsEndWithinTheBudget)
{
    for (const auto& entry : std::filesystem::directory_iterator(QM_REGRESSION_DIRECTORY "/simplifier")) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        std::vector<Vertex> vertices;
        std::vector<std::uint32_t> indices;
        ASSERT_TRUE(decodeFuzzMesh(bytes.data(), bytes.size(), vertices, indices)) << entry.path();
        MeshSimplifier simplifier(vertices, indices, nullptr);
        for (const float ratio : {0.6f, 0.4f}) {
            const auto level = simplifier.simplify(ratio);
            if (!level) {
                EXPECT_TRUE(simplifier.gaveUp) << entry.path();
                break;
            }
            for (const std::uint32_t index : level->getIndices())
                ASSERT_LT(index, level->getVertices().size()) << entry.path();
        }
    }
}
