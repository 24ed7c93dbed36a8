#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "MeshSimplifier.h"
#include "Noise.h"
#include "reference/PlainSimplifier.h"

// The simplifier against the plain version that moves vertices by adjacent
// swaps: the same collapses must give the same outputs, byte for byte, on
// random meshes (ties, duplicates, degenerate and non-manifold triangles
// included) and on real ones.
namespace {

// The positions and the faces (fanned into triangles) of an OBJ file.
qm::MeshData readObj(const std::string& path)
{
    qm::MeshData mesh;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "v") {
            qm::Vertex v;
            words >> v.position.x >> v.position.y >> v.position.z;
            mesh.vertices.push_back(v);
        } else if (kind == "f") {
            std::vector<std::uint32_t> corners;
            for (std::string corner; words >> corner;)
                corners.push_back(std::uint32_t(std::stoul(corner)) - 1);  // "7/3/2" reads as 7
            for (std::size_t k = 2; k < corners.size(); ++k)
                mesh.indices.insert(mesh.indices.end(), {corners[0], corners[k - 1], corners[k]});
        }
    }
    return mesh;
}

void expectSameLevels(const qm::MeshData& mesh, const std::string& what)
{
    qm::MeshSimplifier fast(mesh.vertices, mesh.indices);
    qm::reference::PlainSimplifier plain(mesh.vertices, mesh.indices);
    for (const float ratio : {0.6f, 0.4f, 0.5f}) {
        const auto a = fast.simplify(ratio);
        const auto b = plain.simplify(ratio);
        const std::string at = what + " at ratio " + std::to_string(ratio);
        ASSERT_TRUE(a && b) << at;
        ASSERT_EQ(a->indices, b->indices) << at;
        ASSERT_EQ(a->vertices.size(), b->vertices.size()) << at;
        for (std::size_t i = 0; i < a->vertices.size(); ++i)
            ASSERT_EQ(std::memcmp(&a->vertices[i], &b->vertices[i], sizeof(qm::Vertex)), 0) << at << ", vertex " << i;
    }
}

// Vertices on a coarse lattice (many equal costs, coincident positions) and
// random triangles over them.
qm::MeshData randomMesh(std::uint32_t seed)
{
    qm::MeshData mesh;
    scenegen::Random random(seed);
    const int count = random.integer(4, 300);
    const float lattice = seed % 2 == 0 ? 1.0f : 0.25f;
    for (int i = 0; i < count; ++i) {
        const glm::vec3 p(float(random.integer(0, 6)) * lattice, float(random.integer(0, 6)) * lattice,
                          float(random.integer(0, 2)) * lattice);
        mesh.vertices.push_back({p, {0, 0, 1}, {random.uniform(), random.uniform()}});
    }
    const int triangles = random.integer(1, count * 2);
    for (int t = 0; t < 3 * triangles; ++t)
        mesh.indices.push_back(std::uint32_t(random.integer(0, count - 1)));
    return mesh;
}

TEST(DifferentialSimplifier, RandomMeshesGiveTheSameLevels)
{
    for (std::uint32_t seed = 1; seed <= 120; ++seed) {
        expectSameLevels(randomMesh(seed), "random mesh " + std::to_string(seed));
        if (HasFatalFailure())
            return;
    }
}

TEST(DifferentialSimplifier, RealMeshesGiveTheSameLevels)
{
    for (const char* file : {"cow.obj", "spot.obj", "teapot.obj", "fandisk.obj"}) {
        const qm::MeshData mesh = readObj(std::string(QM_TESTDATA_DIRECTORY "/meshes/") + file);
        ASSERT_FALSE(mesh.indices.empty()) << file;
        expectSameLevels(mesh, file);
    }
}

}  // namespace
