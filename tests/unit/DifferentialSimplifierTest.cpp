#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include "MeshSimplifier.h"
#include "ModelReader.h"
#include "Noise.h"
#include "SceneImport.h"
#include "reference/PlainSimplifier.h"

// The simplifier against the plain version that moves vertices by adjacent
// swaps: the same collapses must give the same outputs, byte for byte, on
// random meshes (ties, duplicates, degenerate and non-manifold triangles
// included) and on real ones.
namespace {

void expectSameMesh(const qm::Mesh& fast, const qm::Mesh& plain, const std::string& what)
{
    ASSERT_EQ(fast.getIndices(), plain.getIndices()) << what;
    ASSERT_EQ(fast.getVertices().size(), plain.getVertices().size()) << what;
    for (std::size_t i = 0; i < fast.getVertices().size(); ++i) {
        const qm::Vertex& a = fast.getVertices()[i];
        const qm::Vertex& b = plain.getVertices()[i];
        ASSERT_TRUE(a.position == b.position && a.normal == b.normal && a.texCoords == b.texCoords)
            << what << ", vertex " << i;
    }
}

void expectSameLevels(const std::vector<qm::Vertex>& vertices, const std::vector<std::uint32_t>& indices,
                      const std::string& what)
{
    qm::MeshSimplifier fast(vertices, indices, nullptr);
    qm::reference::PlainSimplifier plain(vertices, indices, nullptr);
    for (const float ratio : {0.6f, 0.4f, 0.5f}) {
        const auto a = fast.simplify(ratio);
        const auto b = plain.simplify(ratio);
        expectSameMesh(*a, *b, what + " at ratio " + std::to_string(ratio));
    }
}

// Vertices on a coarse lattice (many equal costs, coincident positions) and
// random triangles over them.
void randomMesh(std::uint32_t seed, std::vector<qm::Vertex>& vertices, std::vector<std::uint32_t>& indices)
{
    scenegen::Random random(seed);
    const int count = random.integer(4, 300);
    const float lattice = seed % 2 == 0 ? 1.0f : 0.25f;
    for (int i = 0; i < count; ++i) {
        const glm::vec3 p(float(random.integer(0, 6)) * lattice, float(random.integer(0, 6)) * lattice,
                          float(random.integer(0, 2)) * lattice);
        vertices.push_back({p, {0, 0, 1}, {random.uniform(), random.uniform()}});
    }
    const int triangles = random.integer(1, count * 2);
    for (int t = 0; t < 3 * triangles; ++t)
        indices.push_back(std::uint32_t(random.integer(0, count - 1)));
}

TEST(DifferentialSimplifier, RandomMeshesGiveTheSameLevels)
{
    for (std::uint32_t seed = 1; seed <= 120; ++seed) {
        std::vector<qm::Vertex> vertices;
        std::vector<std::uint32_t> indices;
        randomMesh(seed, vertices, indices);
        expectSameLevels(vertices, indices, "random mesh " + std::to_string(seed));
        if (HasFatalFailure())
            return;
    }
}

TEST(DifferentialSimplifier, RealMeshesGiveTheSameLevels)
{
    for (const char* file : {"cow.obj", "spot.obj", "teapot.obj", "fandisk.obj"}) {
        Assimp::Importer importer;
        std::string error;
        const aiScene* scene = qm::readModelFile(importer, std::string(QM_TESTDATA_DIRECTORY "/meshes/") + file, error);
        ASSERT_TRUE(scene && scene->mNumMeshes > 0) << file << ": " << error;
        std::string problem;
        const auto data = qm::readMeshData(*scene->mMeshes[0], problem);
        ASSERT_TRUE(data) << problem;
        expectSameLevels(data->vertices, data->indices, file);
    }
}

}  // namespace
