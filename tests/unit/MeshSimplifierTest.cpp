#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "MeshSimplifier.h"
#include "SimplifierInput.h"
#include "SimplifierMeshes.h"

namespace {

using qm::MeshSimplifier;
using qm::Vertex;
using qm::WorkingMesh;
using qm::testmeshes::flatGrid;

MeshSimplifier simplifierOf(const std::vector<glm::vec3>& positions, const std::vector<std::uint32_t>& indices)
{
    return MeshSimplifier(qm::testmeshes::verticesAt(positions), indices);
}

MeshSimplifier simplifierOf(const qm::MeshData& mesh)
{
    return MeshSimplifier(mesh.vertices, mesh.indices);
}

std::uint32_t vertexAt(const MeshSimplifier& s, glm::vec3 position)
{
    for (std::uint32_t v = 0; v < s.mesh().vertexCount(); ++v) {
        if (s.mesh().position(v) == position)
            return v;
    }
    throw std::runtime_error("no vertex there");
}

void expectInvariants(const MeshSimplifier& s)
{
    const WorkingMesh& mesh = s.mesh();
    const std::vector<std::uint32_t> order = s.ordered();
    EXPECT_EQ(order.size() + s.collapsedCount(), mesh.vertexCount());
    for (std::size_t i = 0; i < order.size(); ++i) {
        const std::uint32_t vertex = order[i];
        if (i + 1 < order.size()) {
            EXPECT_LE(mesh.cost(vertex), mesh.cost(order[i + 1]));
        }
        for (const std::uint32_t n : mesh.neighbours(vertex)) {
            const auto back = mesh.neighbours(n);
            EXPECT_EQ(std::count(back.begin(), back.end(), vertex), 1) << "neighbours are symmetric";
        }
    }
}

TEST(MeshSimplifier, WeldsPositionsCloserThanATenThousandth)
{
    for (const auto& [gap, expected] : {std::pair{0.00005f, 3u}, std::pair{0.0001f, 4u}, std::pair{0.0002f, 4u}}) {
        // Distinct x coordinates, so no other vertex falls between the pair in x order.
        const MeshSimplifier s =
            simplifierOf({{0.5f, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0.5f + gap, 0, 0}}, {0, 1, 2, 3, 2, 1});
        EXPECT_EQ(s.mesh().vertexCount(), expected) << gap;
        expectInvariants(s);
    }
}

TEST(MeshSimplifier, AQuadOfSixVerticesWeldsToFour)
{
    const glm::vec3 a(0, 0, 0), b(2, 0.1f, 0), c(3, 1, 0), d(1, 1.1f, 0);
    const MeshSimplifier s = simplifierOf({a, b, c, a, c, d}, {0, 1, 2, 3, 4, 5});
    const WorkingMesh& mesh = s.mesh();
    ASSERT_EQ(mesh.vertexCount(), 4u);
    EXPECT_EQ(mesh.neighbours(vertexAt(s, c)).size(), 3u);
    EXPECT_EQ(mesh.neighbours(vertexAt(s, b)).size(), 2u);
    EXPECT_EQ(mesh.neighbours(vertexAt(s, d)).size(), 2u);
    std::vector<glm::vec3> around;
    for (const std::uint32_t n : mesh.neighbours(vertexAt(s, a)))
        around.push_back(mesh.position(n));
    EXPECT_EQ(around, (std::vector<glm::vec3>{b, c, d})) << "in the order the triangles were read, corners in order";
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
        EXPECT_NEAR(s.mesh().edgeCost(vertexAt(s, u), vertexAt(s, v)), c.cost, 1e-6f) << c.name;
    }
}

TEST(MeshSimplifier, EdgeCostsOfSmallAndLargeFansFollowTheDefinition)
{
    // A bumpy closed fan around the origin, of each size that the costs
    // handle their own way: up to eight faces in vector registers (the last
    // lane used or not), a tabled fan, and one whose sides are filed by
    // neighbour with the dot products no longer tabled.
    for (const int n : {3, 7, 8, 12, 40}) {
        std::vector<glm::vec3> positions{{0, 0, 0}};
        for (int k = 0; k < n; ++k) {
            const float angle = 2.0f * float(M_PI) * float(k) / float(n);
            const float radius = 1.0f + 0.3f * std::sin(3.0f * float(k));
            positions.emplace_back(radius * std::cos(angle), radius * std::sin(angle), 0.2f * std::cos(5.0f * float(k)));
        }
        std::vector<std::uint32_t> indices;
        std::vector<glm::vec3> normals;
        for (int k = 0; k < n; ++k) {
            const auto a = std::uint32_t(1 + k), b = std::uint32_t(1 + (k + 1) % n);
            indices.insert(indices.end(), {0u, a, b});
            normals.push_back(glm::normalize(glm::cross(positions[a], positions[b])));
        }
        const MeshSimplifier s = simplifierOf(positions, indices);
        const std::uint32_t centre = vertexAt(s, positions[0]);
        for (int k = 0; k < n; ++k) {
            // Neighbour k lies on faces k - 1 and k: each face is held against
            // the side it bends least from, and the worst of those counts.
            const glm::vec3 sides[] = {normals[std::size_t((k + n - 1) % n)], normals[std::size_t(k)]};
            float curvature = 0.0f;
            for (const glm::vec3& face : normals) {
                const float least = std::min((1.0f - glm::dot(face, sides[0])) / 2.0f, (1.0f - glm::dot(face, sides[1])) / 2.0f);
                curvature = std::max(curvature, least);
            }
            const glm::vec3 neighbour = positions[std::size_t(1 + k)];
            EXPECT_NEAR(s.mesh().edgeCost(centre, vertexAt(s, neighbour)), curvature * glm::length(neighbour), 1e-5f)
                << n << " faces, neighbour " << k;
        }
    }
}

TEST(MeshSimplifier, CostsPickTheFirstOfEquallyCheapNeighbours)
{
    const MeshSimplifier s = simplifierOf(flatGrid(4, 4));
    const WorkingMesh& mesh = s.mesh();
    for (std::uint32_t v = 0; v < mesh.vertexCount(); ++v) {
        EXPECT_EQ(mesh.cost(v), 0.0f) << "a flat surface bends nowhere";
        ASSERT_FALSE(mesh.neighbours(v).empty());
        EXPECT_EQ(mesh.collapseTarget(v), mesh.neighbours(v).front());
    }
}

TEST(MeshSimplifier, IsolatedVerticesGoFirst)
{
    MeshSimplifier s = simplifierOf({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 5}, {6, 6, 6}}, {0, 1, 2});
    ASSERT_EQ(s.mesh().vertexCount(), 5u);
    EXPECT_EQ(s.mesh().cost(s.ordered()[0]), qm::isolatedVertexCost);
    EXPECT_EQ(s.mesh().cost(s.ordered()[1]), qm::isolatedVertexCost);
    const auto mesh = s.simplify(0.6f);  // 5 -> 3: exactly the two isolated ones
    ASSERT_EQ(mesh->vertices.size(), 3u);
    EXPECT_EQ(mesh->indices.size(), 3u);
    for (const Vertex& v : mesh->vertices)
        EXPECT_LT(v.position.x, 2.0f);
}

TEST(MeshSimplifier, ReducesToTheTargetRatioOfWhatRemains)
{
    MeshSimplifier s = simplifierOf(flatGrid(40, 25));  // 1000 vertices
    const auto level1 = s.simplify(0.6f);
    EXPECT_EQ(level1->vertices.size(), 600u);
    expectInvariants(s);

    const auto level2 = s.simplify(0.4f);  // continues from level 1: 600 * 0.4
    EXPECT_EQ(level2->vertices.size(), 240u);
    expectInvariants(s);

    for (const auto& mesh : {*level1, *level2}) {
        EXPECT_EQ(mesh.indices.size() % 3, 0u);
        for (std::uint32_t index : mesh.indices)
            EXPECT_LT(index, mesh.vertices.size());
        for (const Vertex& v : mesh.vertices)
            EXPECT_TRUE(std::isfinite(v.normal.x) && std::isfinite(v.normal.y) && std::isfinite(v.normal.z));
    }
}

TEST(MeshSimplifier, StopsAtTheNoCollapseCost)
{
    // A tetrahedron too large to measure: every edge is infinitely long.
    const float far = 1.5e19f;
    MeshSimplifier s = simplifierOf({{far, 0, 0}, {-far, 0, 0}, {0, far, 0}, {0, 0, far}},
                                    {0, 1, 2, 0, 2, 3, 0, 3, 1, 1, 3, 2});
    for (std::uint32_t v = 0; v < 4; ++v)
        ASSERT_EQ(s.mesh().cost(v), qm::noCollapseCost);
    const auto first = s.simplify(0.5f);
    EXPECT_EQ(s.collapsedCount(), 0u);
    const auto second = s.simplify(0.5f);
    EXPECT_EQ(first->indices, second->indices);
    EXPECT_EQ(first->vertices.size(), 4u);
}

TEST(MeshSimplifier, ACollapseRemovesExactlyTheTrianglesOnTheEdge)
{
    const glm::vec3 a(0, 0, 0), b(2, 0.1f, 0), c(3, 1, 0), d(1, 1.1f, 0);
    MeshSimplifier s = simplifierOf({a, b, c, d}, {0, 1, 2, 0, 2, 3});
    // c is on both triangles, b only on the first: the first goes, the second takes b for c.
    s.collapse(vertexAt(s, c), vertexAt(s, b));
    const WorkingMesh& mesh = s.mesh();
    ASSERT_TRUE(mesh.removed(0));
    ASSERT_FALSE(mesh.removed(1));
    EXPECT_EQ(mesh.position(mesh.corners(1)[0]), a);
    EXPECT_EQ(mesh.position(mesh.corners(1)[1]), b) << "at c's former corner position";
    EXPECT_EQ(mesh.position(mesh.corners(1)[2]), d);
    EXPECT_EQ(mesh.neighbours(vertexAt(s, b)).size(), 2u);
}

TEST(MeshSimplifier, DegenerateTrianglesLeaveNoNaNAndPointsAreNotWritten)
{
    // A zero-area triangle, and one whose corners all weld into one vertex.
    MeshSimplifier s = simplifierOf({{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {0, 1, 0}, {5, 5, 5}, {5, 5, 5.00001f}, {5, 5, 5}},
                                    {0, 1, 2, 0, 1, 3, 4, 5, 6});
    const auto mesh = s.simplify(1.0f);
    EXPECT_EQ(mesh->indices.size(), 6u) << "the point triangle is not written";
    for (const Vertex& v : mesh->vertices)
        EXPECT_FALSE(std::isnan(v.normal.x) || std::isnan(v.normal.y) || std::isnan(v.normal.z));
}

TEST(MeshSimplifier, AVertexSharedByThousandsOfTrianglesIsNotSimplified)
{
    // Its cost would be worked out again after each of its thousands of neighbours collapsed.
    MeshSimplifier hub = simplifierOf(qm::testmeshes::cone(40000));
    EXPECT_TRUE(hub.gaveUp());
    EXPECT_FALSE(hub.simplify(0.6f));
    EXPECT_TRUE(simplifierOf(qm::testmeshes::cone(64)).simplify(0.6f)) << "an ordinary fan is simplified";
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
        MeshSimplifier simplifier(vertices, indices);
        for (const float ratio : {0.6f, 0.4f}) {
            const auto level = simplifier.simplify(ratio);
            if (!level) {
                EXPECT_TRUE(simplifier.gaveUp()) << entry.path();
                break;
            }
            for (const std::uint32_t index : level->indices)
                ASSERT_LT(index, level->vertices.size()) << entry.path();
        }
    }
}

}  // namespace
