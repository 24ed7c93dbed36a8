#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "ModelReader.h"
#include "SceneConversion.h"
#include "ByteCodec.h"
#include "SceneDataFile.h"

namespace {

namespace fs = std::filesystem;

std::size_t nodeCount(const aiNode& node)
{
    std::size_t count = 1;
    for (unsigned i = 0; i < node.mNumChildren; ++i)
        count += nodeCount(*node.mChildren[i]);
    return count;
}

qm::SceneData readConverted(const std::string& path)
{
    Assimp::Importer reader;
    std::string error;
    const aiScene* scene = qm::readModelFile(reader, path, error);
    EXPECT_TRUE(scene) << path << ": " << error;
    return scene ? qm::toSceneData(*scene) : qm::SceneData{};
}

// One small model, a textured box under a plain roof (10 quads and
// triangles, 16 triangles), in every format the viewer opens; the formats
// without materials or objects hold it as one mesh. Its triangles share
// vertices once converted, whether the file shares them (PLY, glTF) or not.
TEST(SceneConversion, EveryFormatGivesTheBox)
{
    const struct {
        const char* file;
        std::size_t meshes;
    } cases[] = {{"box.obj", 2}, {"box.gltf", 2}, {"box-embedded.gltf", 2}, {"box.glb", 2},       {"box.dae", 2},
                 {"box.3ds", 2}, {"box.ply", 1},  {"box.stl", 1},           {"box-binary.stl", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const qm::SceneData data = readConverted(QM_TESTDATA_DIRECTORY "/formats/" + std::string(c.file));
        EXPECT_EQ(qm::sceneDataProblem(data), "");
        ASSERT_EQ(data.meshes.size(), c.meshes);
        std::size_t triangles = 0;
        std::size_t vertices = 0;
        for (const qm::SceneMesh& mesh : data.meshes) {
            EXPECT_EQ(mesh.problem, "");
            triangles += mesh.triangles.size() / 3;
            vertices += mesh.vertexCount();
        }
        EXPECT_EQ(triangles, 16u);
        EXPECT_LT(vertices, 3 * triangles);
    }
}

// The test data's real files keep their structure through the conversion and
// the byte form: nodes, materials with their textures' embedded pictures,
// the numbers of their units and axes; and encoding what was decoded gives
// the same bytes.
TEST(SceneConversion, RealFilesKeepTheirStructureThroughTheByteForm)
{
    for (const char* file : {"fbx/duck.fbx", "fbx/jeep1.fbx", "fbx/spider.fbx", "meshes/teapot.obj",
                             "formats/box-embedded.gltf", "formats/box.dae"}) {
        SCOPED_TRACE(file);
        Assimp::Importer reader;
        std::string error;
        const aiScene* scene = qm::readModelFile(reader, QM_TESTDATA_DIRECTORY "/" + std::string(file), error);
        ASSERT_TRUE(scene) << error;
        const std::string bytes = qm::encodeSceneData(qm::toSceneData(*scene));
        const std::optional<qm::SceneData> data = qm::decodeSceneData(qm::asBytes(bytes), error);
        ASSERT_TRUE(data) << error;
        EXPECT_EQ(qm::encodeSceneData(*data), bytes);
        EXPECT_EQ(data->nodes.size(), nodeCount(*scene->mRootNode));
        EXPECT_EQ(data->materials.size(), scene->mNumMaterials);
        EXPECT_EQ(data->images.size(), scene->mNumTextures);
        for (const qm::SceneMaterial& material : data->materials)
            for (const qm::SceneTexture& texture : material.textures)
                EXPECT_EQ(texture.image >= 0, scene->GetEmbeddedTexture(texture.path.c_str()) != nullptr);
        if (std::string(file).ends_with(".fbx")) {
            EXPECT_TRUE(std::any_of(data->numbers.begin(), data->numbers.end(),
                                    [](const qm::SceneNumber& n) { return n.key == "UnitScaleFactor"; }));
        }
    }
}

// A mesh as the model reader makes one: corners, and faces of any number of them.
aiMesh* meshOf(const std::vector<aiVector3D>& corners, const std::vector<std::vector<unsigned>>& faces)
{
    aiMesh* mesh = new aiMesh;
    mesh->mNumVertices = unsigned(corners.size());
    mesh->mVertices = new aiVector3D[corners.size()];
    std::copy(corners.begin(), corners.end(), mesh->mVertices);
    mesh->mNumFaces = unsigned(faces.size());
    mesh->mFaces = new aiFace[faces.size()];
    for (std::size_t f = 0; f < faces.size(); ++f) {
        mesh->mFaces[f].mNumIndices = unsigned(faces[f].size());
        mesh->mFaces[f].mIndices = new unsigned[faces[f].size()];
        std::copy(faces[f].begin(), faces[f].end(), mesh->mFaces[f].mIndices);
    }
    return mesh;
}

// A quad's two triangles, a line and a point, with colours. Corners that
// agree in everything are joined; two that differ only in colour are not. A
// face naming a vertex the mesh lacks leaves only the problem.
TEST(SceneConversion, JoinsOnlyVerticesThatAgreeInEverything)
{
    aiMesh* quad = meshOf({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 0}},
                          {{0, 1, 2}, {3, 4, 5}, {5, 6}, {6}});
    quad->mColors[0] = new aiColor4D[quad->mNumVertices];
    for (unsigned v = 0; v < quad->mNumVertices; ++v)
        quad->mColors[0][v] = v == 6 ? aiColor4D(1, 0, 0, 1) : aiColor4D(1, 1, 1, 1);
    aiMesh* broken = meshOf({{0, 0, 0}}, {{0, 0, 5}});
    broken->mName = "broken";
    aiScene scene;
    scene.mRootNode = new aiNode("root");
    scene.mRootNode->mNumMeshes = 2;
    scene.mRootNode->mMeshes = new unsigned[2]{0, 1};
    scene.mNumMaterials = 1;
    scene.mMaterials = new aiMaterial*[1]{new aiMaterial};
    scene.mNumMeshes = 2;
    scene.mMeshes = new aiMesh*[2]{quad, broken};

    const qm::SceneData data = qm::toSceneData(scene);
    ASSERT_EQ(qm::sceneDataProblem(data), "");
    const qm::SceneMesh& mesh = data.meshes[0];
    EXPECT_EQ(mesh.vertexCount(), 5u) << "four corners, and the red one apart";
    EXPECT_EQ(mesh.triangles, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3}));
    EXPECT_EQ(mesh.lines, (std::vector<std::uint32_t>{3, 4}));
    EXPECT_EQ(mesh.points, (std::vector<std::uint32_t>{4}));
    EXPECT_EQ(mesh.colours[4 * 4 + 1], 0.0f);
    EXPECT_EQ(data.meshes[1].problem, "face 0 uses vertex 5 of 1");
    EXPECT_EQ(data.meshes[1].vertexCount(), 0u);
    ASSERT_EQ(data.nodes.size(), 1u);
    EXPECT_EQ(data.nodes[0].meshes, (std::vector<std::uint32_t>{0, 1}));
}

// Specular-glossiness becomes metal-rough: white specular is metal,
// glossiness 0.8 a roughness of 0.2, the diffuse colour the base colour.
// (The other material files are the reference views'.)
TEST(SceneConversion, SpecularGlossinessBecomesMetalRough)
{
    const qm::SceneData glossy = readConverted(QM_TESTDATA_DIRECTORY "/materials/specular-glossiness.gltf");
    const qm::SceneMaterial& converted = glossy.materials[0];
    EXPECT_TRUE(converted.physicallyBased);
    EXPECT_NEAR(converted.metallic, 1.0f, 1e-6f);
    EXPECT_NEAR(converted.roughness, 0.2f, 1e-6f);
    EXPECT_NEAR(converted.baseColour[2], 0.8f, 1e-6f);
}

// Point clouds (vertices and no faces at all) and OBJ lines, which the
// reader refused or crashed on, are read as points and lines.
TEST(SceneConversion, PointCloudsAndLinesAreRead)
{
    const fs::path folder = fs::temp_directory_path() / "qm-point-clouds";
    fs::create_directories(folder);
    const struct {
        const char* name;
        const char* text;
        std::size_t points;
        std::size_t lines;
    } cases[] = {
        {"cloud.ply",
         "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
         "end_header\n0 0 0\n1 0 0\n0 1 0\n",
         3, 0},
        {"cloud.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 1\n", 4, 0},
        {"lines.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2\nl 2 3\n", 0, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(folder / c.name) << c.text;
        const qm::SceneData data = readConverted((folder / c.name).string());
        EXPECT_EQ(qm::sceneDataProblem(data), "");
        std::size_t points = 0, lines = 0;
        for (const qm::SceneMesh& mesh : data.meshes) {
            points += mesh.points.size();
            lines += mesh.lines.size();
        }
        EXPECT_EQ(points, c.points);
        EXPECT_EQ(lines, c.lines);
    }
    fs::remove_all(folder);
}

}  // namespace
