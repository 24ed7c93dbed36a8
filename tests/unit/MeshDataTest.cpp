#include <gtest/gtest.h>

#include <cmath>

#include "SceneImport.h"

namespace {

// A scene mesh built by hand: positions, triangles, and optionally unit Z
// normals and texture coordinates (i, 0.5).
qm::SceneMesh sceneMesh(const std::vector<glm::vec3>& positions, std::vector<std::uint32_t> triangles, bool normals,
                        bool uvs)
{
    qm::SceneMesh mesh;
    for (std::size_t i = 0; i < positions.size(); ++i) {
        mesh.positions.insert(mesh.positions.end(), {positions[i].x, positions[i].y, positions[i].z});
        if (normals)
            mesh.normals.insert(mesh.normals.end(), {0.0f, 0.0f, 1.0f});
        if (uvs)
            mesh.texCoords[0].insert(mesh.texCoords[0].end(), {float(i), 0.5f});
    }
    mesh.triangles = std::move(triangles);
    return mesh;
}

const std::vector<glm::vec3> square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};

TEST(MeshData, KeepsTrianglesOnly)
{
    qm::SceneMesh mesh = sceneMesh(square, {0, 1, 2, 0, 2, 3}, true, true);
    mesh.lines = {2, 3};
    mesh.points = {3};
    std::string problem;
    const auto data = qm::readMeshData(mesh, problem);
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
    const qm::SceneMesh mesh = sceneMesh({{0, 0, 0}, {1, 0, 0}, {0, 0, -1}, {5, 5, 5}}, {0, 1, 2}, false, false);
    std::string problem;
    const auto data = qm::readMeshData(mesh, problem);
    ASSERT_TRUE(data);
    ASSERT_EQ(data->vertices.size(), 3u);
    for (int v = 0; v < 3; ++v) {
        EXPECT_EQ(data->vertices[v].texCoords, glm::vec2(0, 0));
        EXPECT_EQ(data->vertices[v].normal, glm::vec3(0, 1, 0));
    }
    // (Meshes of lines or of points alone, with their colours, are the reference views "lines" and "points".)
}

// A square written as a file without shared vertices writes it: a vertex
// for every corner. The corners the two triangles share become one vertex
// each, and the normals computed afterwards see one smooth surface.
TEST(MeshData, JoinsTheCornersOfUnsharedFiles)
{
    const qm::SceneMesh mesh =
        sceneMesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {0, 1, 2, 3, 4, 5}, false, false);
    std::string problem;
    const auto data = qm::readMeshData(mesh, problem);
    ASSERT_TRUE(data) << problem;
    EXPECT_EQ(data->vertices.size(), 4u);
    EXPECT_EQ(data->indices, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3}));
    for (const qm::Vertex& vertex : data->vertices)
        EXPECT_EQ(vertex.normal, glm::vec3(0, 0, 1));
}

TEST(MeshData, RefusesWhatTheReaderCouldNotTakeAndNonFinitePositions)
{
    std::string problem;
    qm::SceneMesh refused;
    refused.problem = "face 1 uses vertex 4 of 4";
    EXPECT_FALSE(qm::readMeshData(refused, problem));
    EXPECT_EQ(problem, "face 1 uses vertex 4 of 4");

    for (const float bad : {NAN, INFINITY, -INFINITY}) {
        const qm::SceneMesh nonFinite = sceneMesh({{0, 0, 0}, {1, bad, 0}, {1, 1, 0}}, {0, 1, 2}, true, true);
        EXPECT_FALSE(qm::readMeshData(nonFinite, problem));
        EXPECT_EQ(problem, "vertex 1 has a position that is not a finite number");
    }
}

}  // namespace
