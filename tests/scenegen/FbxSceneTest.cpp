#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <filesystem>

#include "AssimpMatrix.h"

#include <glm/gtc/matrix_transform.hpp>

#include "FbxScene.h"

namespace {

using scenegen::FbxScene;

// The read flags of the viewer: join identical vertices, triangulate, flip texture coordinates.
constexpr unsigned readFlags = 0x0080000A;

void expectMatrixNear(const glm::mat4& actual, const glm::mat4& expected)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], 1e-5f) << "column " << c << " row " << r;
}

// The node hierarchy as "name(child child)".
std::string outline(const aiNode* node)
{
    std::string text = node->mName.C_Str();
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        text += (i == 0 ? "(" : " ") + outline(node->mChildren[i]) + (i + 1 == node->mNumChildren ? ")" : "");
    return text;
}

// What the writer's file holds, read back by the model reader. Its materials
// and lights are read back through the whole import by the GL SceneImport
// tests, and the moor's by the GeneratedScene tests.
class FbxSceneTest : public testing::Test {
protected:
    void SetUp() override
    {
        // One file per test: the test runner runs this suite's tests in parallel processes.
        const testing::TestInfo& test = *testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() / ("qm-fbx-scene-" + std::string(test.name()) + ".fbx");

        const scenegen::GenMesh cube = scenegen::box({-1, 0, -1}, {1, 2, 1});
        const FbxScene::Id geometry = fbx.addGeometry("cube_mesh", cube);
        const FbxScene::Id layered = fbx.addMaterial(
            "Layered", glm::vec3(1.0f), {{"textures/a_d.jpg", "textures/b_d.png"}, "textures/a_s.png", "sub/a_n.png"});
        const FbxScene::Id plain = fbx.addMaterial("Plain", glm::vec3(0.5f), {{"plain_d.png"}, "", ""});
        const FbxScene::Id otherGeometry = fbx.addGeometry("other_mesh", scenegen::box({0, 0, 0}, {1, 1, 1}));

        const FbxScene::Id group = fbx.addGroupNode("group", FbxScene::root, groupTransform);
        const FbxScene::Id inner = fbx.addGroupNode("inner", group, innerTransform);
        fbx.addMeshNode("first", inner, childTransform, geometry, layered);
        fbx.addMeshNode("second", FbxScene::root, {{5, 0, 0}, {}, glm::vec3(1.0f)}, geometry, layered);
        fbx.addMeshNode("third", FbxScene::root, {}, otherGeometry, plain);
        fbx.addLightNode("Point.1000", group, {{0, 10, 0}, {}, glm::vec3(1.0f)}, glm::vec3(1.0f));
        ASSERT_TRUE(fbx.write(path));

        scene = importer.ReadFile(path.string(), readFlags);
        ASSERT_NE(scene, nullptr) << importer.GetErrorString();
        ASSERT_FALSE(scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE);
    }
    void TearDown() override { std::filesystem::remove(path); }

    const FbxScene::Transform groupTransform{{10, 1, 5}, {0, 30, 0}, {2, 2, 2}};
    const FbxScene::Transform innerTransform{{1, 0, 0}, {15, 0, 25}, {1, 0.5f, 1}};
    const FbxScene::Transform childTransform{{0, 1, 0}, {10, 20, 30}, {1, 1.5f, 1}};
    std::filesystem::path path;
    FbxScene fbx;
    Assimp::Importer importer;
    const aiScene* scene = nullptr;
};

TEST_F(FbxSceneTest, NodesKeepNamesHierarchyAndTransforms)
{
    const aiNode* root = scene->mRootNode;
    ASSERT_EQ(outline(root), "RootNode(group(inner(first) Point.1000) second third)");
    // Rotation about x, then y, then z, between scale and translation.
    const glm::mat4 expected = glm::translate(glm::mat4(1.0f), {0, 1, 0}) *
                               glm::rotate(glm::mat4(1.0f), glm::radians(30.0f), {0, 0, 1}) *
                               glm::rotate(glm::mat4(1.0f), glm::radians(20.0f), {0, 1, 0}) *
                               glm::rotate(glm::mat4(1.0f), glm::radians(10.0f), {1, 0, 0}) *
                               glm::scale(glm::mat4(1.0f), {1, 1.5f, 1});
    expectMatrixNear(childTransform.matrix(), expected);
    expectMatrixNear(toGlm(root->FindNode("first")->mTransformation), expected);
    expectMatrixNear(toGlm(root->FindNode("group")->mTransformation), groupTransform.matrix());
    expectMatrixNear(toGlm(root->FindNode("inner")->mTransformation), innerTransform.matrix());
}

TEST_F(FbxSceneTest, GeometriesAreSharedByName)
{
    const aiNode* first = scene->mRootNode->FindNode("first");
    const aiNode* second = scene->mRootNode->FindNode("second");
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->mNumMeshes, 1u);
    ASSERT_EQ(second->mNumMeshes, 1u);
    EXPECT_EQ(first->mMeshes[0], second->mMeshes[0]);
    const aiMesh* mesh = scene->mMeshes[first->mMeshes[0]];
    EXPECT_STREQ(mesh->mName.C_Str(), "cube_mesh");
    EXPECT_EQ(mesh->mNumFaces, 12u);
    EXPECT_EQ(mesh->mNumVertices, 24u);  // four corners per face once identical vertices are joined
    EXPECT_TRUE(mesh->HasNormals() && mesh->HasTextureCoords(0));
    for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
        EXPECT_NEAR(std::abs(mesh->mVertices[i].x), 1.0f, 1e-6f);
        EXPECT_NEAR(mesh->mNormals[i].Length(), 1.0f, 1e-5f);
    }
    EXPECT_STREQ(scene->mMeshes[scene->mRootNode->FindNode("third")->mMeshes[0]]->mName.C_Str(), "other_mesh");
}

}  // namespace
