#include <gtest/gtest.h>

#include <cmath>

#include "SceneImport.h"

namespace {

// A model mesh built by hand; aiMesh frees its arrays itself.
struct ModelMesh {
    aiMesh mesh;

    ModelMesh(std::vector<aiVector3D> positions, std::vector<std::vector<unsigned>> faces, bool normals, bool uvs)
    {
        mesh.mNumVertices = static_cast<unsigned>(positions.size());
        mesh.mVertices = new aiVector3D[positions.size()];
        std::copy(positions.begin(), positions.end(), mesh.mVertices);
        if (normals) {
            mesh.mNormals = new aiVector3D[positions.size()];
            for (std::size_t i = 0; i < positions.size(); ++i)
                mesh.mNormals[i] = aiVector3D(0, 0, 1);
        }
        if (uvs) {
            mesh.mTextureCoords[0] = new aiVector3D[positions.size()];
            mesh.mNumUVComponents[0] = 2;
            for (std::size_t i = 0; i < positions.size(); ++i)
                mesh.mTextureCoords[0][i] = aiVector3D(float(i), 0.5f, 0);
        }
        mesh.mNumFaces = static_cast<unsigned>(faces.size());
        mesh.mFaces = new aiFace[faces.size()];
        for (std::size_t f = 0; f < faces.size(); ++f) {
            mesh.mFaces[f].mNumIndices = static_cast<unsigned>(faces[f].size());
            mesh.mFaces[f].mIndices = new unsigned[faces[f].size()];
            std::copy(faces[f].begin(), faces[f].end(), mesh.mFaces[f].mIndices);
        }
    }
};

const std::vector<aiVector3D> square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};

TEST(MeshData, KeepsTrianglesOnly)
{
    const ModelMesh model(square, {{0, 1, 2}, {3}, {2, 3}, {0, 2, 3}, {0, 1, 2, 3}}, true, true);
    std::string problem;
    const auto data = qm::readMeshData(model.mesh, problem);
    ASSERT_TRUE(data) << problem;
    EXPECT_EQ(data->indices, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(data->vertices[2].position, glm::vec3(1, 1, 0));
    EXPECT_EQ(data->vertices[3].texCoords, glm::vec2(3, 0.5f));
    EXPECT_EQ(data->vertices[1].normal, glm::vec3(0, 0, 1));
}

TEST(MeshData, FillsWhatTheModelLacks)
{
    // Without texture coordinates every vertex gets (0, 0); without normals
    // they come from the faces. A vertex no face uses is left out.
    const ModelMesh model({{0, 0, 0}, {1, 0, 0}, {0, 0, -1}, {5, 5, 5}}, {{0, 1, 2}}, false, false);
    std::string problem;
    const auto data = qm::readMeshData(model.mesh, problem);
    ASSERT_TRUE(data);
    ASSERT_EQ(data->vertices.size(), 3u);
    for (int v = 0; v < 3; ++v) {
        EXPECT_EQ(data->vertices[v].texCoords, glm::vec2(0, 0));
        EXPECT_EQ(data->vertices[v].normal, glm::vec3(0, 1, 0));
    }

    const ModelMesh lines(square, {{0, 1}, {2, 3}}, true, true);
    const auto empty = qm::readMeshData(lines.mesh, problem);
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->indices.empty());
}

// A square written as a file without shared vertices writes it: a vertex
// for every corner. The corners the two triangles share become one vertex
// each, and the normals computed afterwards see one smooth surface.
TEST(MeshData, JoinsTheCornersOfUnsharedFiles)
{
    const ModelMesh model({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}, {1, 1, 0}, {0, 1, 0}},
                          {{0, 1, 2}, {3, 4, 5}}, false, false);
    std::string problem;
    const auto data = qm::readMeshData(model.mesh, problem);
    ASSERT_TRUE(data) << problem;
    EXPECT_EQ(data->vertices.size(), 4u);
    EXPECT_EQ(data->indices, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3}));
    for (const qm::Vertex& vertex : data->vertices)
        EXPECT_EQ(vertex.normal, glm::vec3(0, 0, 1));
}

TEST(MeshData, RefusesIndicesOutsideTheVerticesAndNonFinitePositions)
{
    std::string problem;
    const ModelMesh outside(square, {{0, 1, 2}, {2, 3, 4}}, true, true);
    EXPECT_FALSE(qm::readMeshData(outside.mesh, problem));
    EXPECT_EQ(problem, "face 1 uses vertex 4 of 4");

    for (const float bad : {NAN, INFINITY, -INFINITY}) {
        const ModelMesh nonFinite({{0, 0, 0}, {1, bad, 0}, {1, 1, 0}}, {{0, 1, 2}}, true, true);
        EXPECT_FALSE(qm::readMeshData(nonFinite.mesh, problem));
        EXPECT_EQ(problem, "vertex 1 has a position that is not a finite number");
    }
}

}  // namespace
