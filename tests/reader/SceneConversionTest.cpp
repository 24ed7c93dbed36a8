#include <gtest/gtest.h>

#include <filesystem>

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
        Assimp::Importer reader;
        std::string error;
        const aiScene* scene = qm::readModelFile(reader, QM_TESTDATA_DIRECTORY "/formats/" + std::string(c.file), error);
        ASSERT_TRUE(scene) << error;
        const qm::SceneData data = qm::toSceneData(*scene);
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

// A mesh made by hand: a quad's two triangles, a line and a point, with
// colours. Corners that agree in everything are joined; two that differ
// only in colour are not. A face naming a vertex the mesh lacks leaves only
// the problem.
TEST(SceneConversion, JoinsOnlyVerticesThatAgreeInEverything)
{
    aiScene scene;
    scene.mRootNode = new aiNode("root");
    scene.mRootNode->mNumMeshes = 2;
    scene.mRootNode->mMeshes = new unsigned[2]{0, 1};
    scene.mNumMaterials = 1;
    scene.mMaterials = new aiMaterial*[1]{new aiMaterial};
    scene.mNumMeshes = 2;
    scene.mMeshes = new aiMesh*[2]{new aiMesh, new aiMesh};
    aiMesh& quad = *scene.mMeshes[0];
    const std::vector<aiVector3D> corners = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 0}};
    quad.mNumVertices = unsigned(corners.size());
    quad.mVertices = new aiVector3D[corners.size()];
    std::copy(corners.begin(), corners.end(), quad.mVertices);
    quad.mColors[0] = new aiColor4D[corners.size()];
    for (unsigned v = 0; v < quad.mNumVertices; ++v)
        quad.mColors[0][v] = v == 6 ? aiColor4D(1, 0, 0, 1) : aiColor4D(1, 1, 1, 1);
    const std::vector<std::vector<unsigned>> faces = {{0, 1, 2}, {3, 4, 5}, {5, 6}, {6}};
    quad.mNumFaces = unsigned(faces.size());
    quad.mFaces = new aiFace[faces.size()];
    for (std::size_t f = 0; f < faces.size(); ++f) {
        quad.mFaces[f].mNumIndices = unsigned(faces[f].size());
        quad.mFaces[f].mIndices = new unsigned[faces[f].size()];
        std::copy(faces[f].begin(), faces[f].end(), quad.mFaces[f].mIndices);
    }
    aiMesh& broken = *scene.mMeshes[1];
    broken.mName = "broken";
    broken.mNumVertices = 1;
    broken.mVertices = new aiVector3D[1];
    broken.mNumFaces = 1;
    broken.mFaces = new aiFace[1];
    broken.mFaces[0].mNumIndices = 3;
    broken.mFaces[0].mIndices = new unsigned[3]{0, 0, 5};

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

}  // namespace
