#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "AnimationHandler.h"
#include "FbxScene.h"
#include "GLRenderer.h"
#include "GLResources.h"
#include "GpuMesh.h"
#include "Image.h"
#include "LevelOfDetail.h"
#include "MeshLOD.h"
#include "Mesh.h"
#include "ModelReader.h"
#include "Models.h"
#include "PointLight.h"
#include "SceneImport.h"
#include "TestApplication.h"
#include "Texture.h"

namespace {

namespace fs = std::filesystem;
using scenegen::FbxScene;
using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

void writePicture(const fs::path& path, glm::vec4 colour, int size = 4)
{
    scenegen::Image image(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            image.set(x, y, colour);
    ASSERT_TRUE(path.extension() == ".jpg" ? scenegen::writeJpeg(image, path) : scenegen::writePng(image, path));
}

// An asset directory with everything the import reads; each test builds its
// model and may damage one thing before importing.
class SceneImport : public testing::Test {
protected:
    void SetUp() override
    {
        testApplication();
        directory = fs::temp_directory_path() /
                    ("qm-import-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(directory);
        fs::create_directories(directory / "cubemap");
        fs::copy(QM_GLSL_DIRECTORY, directory, fs::copy_options::recursive);
        writeSphere("Sphere");
        writeFile(directory / "shader_sources.txt",
                  "material_standard deferred\n###\nStone material_standard\nGrass material_standard\n");
        writePicture(directory / "stone_d.png", {0.5f, 0.5f, 0.5f, 1});
        writePicture(directory / "stone_s.png", {0.2f, 0.2f, 0.2f, 1});
        writePicture(directory / "stone_n.png", {0.5f, 0.5f, 1, 1});
        writePicture(directory / "moss_d.png", {0, 1, 0, 0.5f});
        for (int face = 0; face < 6; ++face)
            writePicture(directory / "cubemap" / ("loadsa_colors_" + std::to_string(face) + ".jpg"), {0, 0, 0.3f, 1}, 8);
    }

    void TearDown() override { fs::remove_all(directory); }

    void writeSphere(const std::string& nodeName)
    {
        FbxScene sphere;
        const auto material = sphere.addMaterial("LightVolume", glm::vec3(1), {});
        sphere.addMeshNode(nodeName, FbxScene::root, {}, sphere.addGeometry("Sphere", scenegen::models::lightSphere()),
                           material);
        ASSERT_TRUE(sphere.write(directory / "sphere.fbx"));
    }

    // Imports the model, capturing the console.
    std::shared_ptr<qm::Scene> import(const FbxScene& model)
    {
        EXPECT_TRUE(model.write(directory / "model.fbx"));
        return importFile(directory / "model.fbx");
    }

    // Each import its own, as the viewer makes one per run.
    std::shared_ptr<qm::Scene> importFile(const fs::path& path)
    {
        CaptureStdout();
        CaptureStderr();
        importing.emplace(resources, qm::readerSettings(QM_READER_PROGRAM));
        imported = importing->loadScene(path.string());
        std::cout.flush();
        console = GetCapturedStdout();
        errors = GetCapturedStderr();
        return imported.scene;
    }

    fs::path directory;
    qm::GLResources resources;
    std::optional<qm::SceneImport> importing;
    qm::ImportedScene imported;
    std::string console;
    std::string errors;
};

// The hamlet in miniature: a rotated and scaled group, shared meshes, a light,
// a glimmet, a material the table does not know and one whose texture is missing.
struct SmallModel {
    FbxScene fbx;

    SmallModel()
    {
        const auto stone = fbx.addMaterial(
            "Stone", glm::vec3(1), {{"stone_d.png", "moss_d.png"}, "stone_s.png", "C:\\Users\\maker\\stone_n.png"});
        const auto grass = fbx.addMaterial("Grass", glm::vec3(1), {{"textures/missing.png"}, "", ""});
        const auto unlisted = fbx.addMaterial("Unlisted", glm::vec3(1), {});
        const auto rock = fbx.addGeometry("rock", scenegen::box({-1, 0, -1}, {1, 2, 1}));
        const auto tuft = fbx.addGeometry("tuft", scenegen::box({0, 0, 0}, {1, 1, 1}));
        const auto glimmet = fbx.addGeometry("glimmet_mesh", scenegen::icosphere(1));
        const auto orphan = fbx.addGeometry("orphan", scenegen::box({0, 0, 0}, {3, 3, 3}));

        const auto group = fbx.addGroupNode("G", FbxScene::root, {{10, 0, 0}, {0, 90, 0}, {2, 2, 2}});
        fbx.addMeshNode("rock_1", group, {{1, 0, 0}, {}, glm::vec3(1)}, rock, stone);
        fbx.addLightNode("Point.1000", group, {{0, 5, 0}, {}, glm::vec3(1)}, glm::vec3(1));
        fbx.addMeshNode("rock_2", FbxScene::root, {{-5, 0, 0}, {}, glm::vec3(1)}, rock, stone);
        fbx.addMeshNode("tuft_1", FbxScene::root, {}, tuft, grass);
        fbx.addMeshNode("glimmet_1", FbxScene::root, {{0, 20, 0}, {}, glm::vec3(1)}, glimmet, grass);
        const auto bad = fbx.addMeshNode("bad", FbxScene::root, {}, orphan, unlisted);
        fbx.addMeshNode("rock_3", bad, {}, rock, stone);
        fbx.addLightNode("Point.1001", bad, {}, glm::vec3(1));
        fbx.addMeshNode("tuft_2", FbxScene::root, {{0, 0, 9}, {}, glm::vec3(1)}, tuft, grass);
        fbx.addLightNode("Point.1002", FbxScene::root, {{3, 3, 3}, {}, glm::vec3(1)}, glm::vec3(1));
    }
};

TEST_F(SceneImport, BuildsObjectsSharedMeshesMaterialsAndLights)
{
    const SmallModel model;
    const auto scene = import(model.fbx);
    ASSERT_TRUE(scene) << errors;
    // Each problem once, though three objects share the grass.
    EXPECT_EQ(errors,
              "Unable to open file - " + directory.string() + "/textures/missing.png\n"
              "Could not find shader for the material \"Unlisted\".\n");

    // Depth-first, without the left-out subtree of "bad".
    ASSERT_EQ(scene->objects.size(), 7u);
    const auto& o = scene->objects;
    const auto rock1 = o[0], lamp = o[1], rock2 = o[2], tuft1 = o[3], glimmet = o[4], tuft2 = o[5], lamp2 = o[6];
    EXPECT_EQ(rock1->getMeshLOD(), rock2->getMeshLOD());
    EXPECT_EQ(tuft1->getMeshLOD(), tuft2->getMeshLOD());
    EXPECT_NE(rock1->getMeshLOD(), tuft1->getMeshLOD());
    EXPECT_EQ(tuft1->getMesh(0)->getMaterial(), glimmet->getMesh(0)->getMaterial()) << "one material per index";

    // Placed by parent x local: the group turns the child's offset and doubles it.
    EXPECT_NEAR(rock1->position.x, 10.0f, 1e-5f);
    EXPECT_NEAR(rock1->position.z, -2.0f, 1e-5f);
    EXPECT_NEAR(lamp->position.y, 10.0f, 1e-5f);
    EXPECT_NEAR(rock1->boundingBox.max.y, 4.0f, 1e-5f);

    // Lights: one per parameter set, boxed by the radius of Point.1000's set; both animate with the glimmet.
    ASSERT_TRUE(lamp->light && lamp2->light);
    EXPECT_NE(lamp->light, lamp2->light);
    EXPECT_NEAR(lamp->boundingBox.halfExtents.x, 15.2033f, 1e-4f);
    EXPECT_EQ(imported.animation->objects, (std::vector<std::shared_ptr<qm::SceneObject>>{lamp, glimmet, lamp2}));

    // Texture order: diffuse, diffuse, specular, normal (found by its base name).
    std::vector<qm::TextureKind> kinds;
    for (const auto& texture : rock1->getMesh(0)->getMaterial()->textures) {
        kinds.push_back(texture->kind);
        EXPECT_EQ(glIsTexture(texture->id), GL_TRUE);
    }
    using enum qm::TextureKind;
    EXPECT_EQ(kinds, (std::vector<qm::TextureKind>{Diffuse, Diffuse, Specular, Normal}));
    EXPECT_EQ(tuft1->getMesh(0)->getMaterial()->textures.size(), 1u) << "the missing picture keeps its place";

    // Uploaded once, CPU copies released.
    for (const auto& object : {rock1, tuft1, glimmet}) {
        EXPECT_EQ(glIsVertexArray(object->getMesh(0)->gpu->vertexArray), GL_TRUE);
        EXPECT_TRUE(object->getMesh(0)->getVertices().empty());
    }
    EXPECT_EQ(rock1->getMesh(0)->gpu->indexCount, 36u);
}

// Nothing of an import outlives the import and the scene it handed over:
// no object is kept alive by it, and their GL names are deleted.
TEST_F(SceneImport, AllItBuiltGoesWithTheImportAndItsScene)
{
    const std::weak_ptr<qm::Scene> scene = import(SmallModel().fbx);
    ASSERT_FALSE(scene.expired()) << errors;
    const qm::ImportContext& context = importing->context();
    const std::weak_ptr<qm::AnimationHandler> animation = imported.animation;
    const std::weak_ptr<qm::Mesh> sphere = context.session.lightSphereMesh;
    const GLuint lightBuffer = imported.scene->objects.at(1)->light->volume->vertexBuffer;
    const GLuint meshArray = imported.scene->objects.at(0)->getMesh(0)->gpu->vertexArray;
    EXPECT_TRUE(glIsBuffer(lightBuffer) && glIsVertexArray(meshArray));
    EXPECT_FALSE(context.build.scene || context.build.animation) << "handed over, not kept";
    EXPECT_TRUE(context.build.meshLODs.empty() && context.build.materialsByIndex.empty());

    importing.reset();
    imported = {};
    EXPECT_TRUE(scene.expired() && animation.expired() && sphere.expired());
    EXPECT_FALSE(glIsBuffer(lightBuffer) || glIsVertexArray(meshArray));
}

// Walking away from an oak: on each side of every level's bound the tree
// covers about as much of the picture (it neither vanishes nor opens up),
// and what covers it is the level the bound calls for.
TEST_F(SceneImport, WalkingAwayStepsThroughTheLevelsToTheBillboard)
{
    FbxScene model;
    const auto stone = model.addMaterial("Stone", glm::vec3(1), {{"stone_d.png"}, "stone_s.png", "stone_n.png"});
    const auto oakMesh = model.addGeometry("tree_oak", scenegen::models::treeOak());
    model.addMeshNode("tree_oak", FbxScene::root, {}, oakMesh, stone);
    fs::copy_file("QM/tree_oak.png", directory / "tree_oak.png");  // the generated billboard picture
    const auto scene = import(model);
    ASSERT_TRUE(scene) << errors;
    ASSERT_EQ(scene->objects.size(), 1u);
    const auto oak = scene->objects[0];
    for (int level = 1; level < 3; ++level)
        EXPECT_LT(oak->getMesh(level)->gpu->indexCount, oak->getMesh(level - 1)->gpu->indexCount) << "level " << level;
    ASSERT_TRUE(oak->getMesh(3));

    constexpr int width = 160, height = 90;
    qm::GLRenderer renderer(width, height);
    renderer.setScene(scene);
    // The viewer's renderer has the window's size, which GL's viewport starts with; this one is smaller.
    GLint windowViewport[4];
    glGetIntegerv(GL_VIEWPORT, windowViewport);
    glViewport(0, 0, width, height);
    qm::Camera& camera = *scene->camera;
    camera.aspectRatio = float(width) / float(height);
    camera.updateProjection();
    const qm::BoundingBox box = oak->boundingBox;
    const auto frame = [&] {
        renderer.render();
        std::vector<unsigned char> pixels(std::size_t(width * height * 4));
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    };
    // Looking at the trunk's middle down the z axis from where the level distance is d.
    const auto lookFrom = [&](float d) {
        const float halfExtent = glm::max(box.halfExtents.x, glm::max(box.halfExtents.y, box.halfExtents.z));
        camera.position = box.center + glm::vec3(0, 0, d + halfExtent);
        EXPECT_NEAR(qm::levelDistance(box, camera.position), d, 1e-3f);
    };

    scene->objects.clear();
    scene->buildOctree();
    lookFrom(60.0f);
    const auto sky = frame();
    scene->objects = {oak};
    scene->buildOctree();
    // Pixels that differ from the empty sky, times the squared distance:
    // about constant while the tree keeps its shape.
    const auto coverage = [&](float d) {
        lookFrom(d);
        const auto pixels = frame();
        int covered = 0;
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            for (std::size_t c = 0; c < 3; ++c) {
                if (std::abs(int(pixels[i + c]) - int(sky[i + c])) > 6) {
                    ++covered;
                    break;
                }
            }
        }
        return double(covered) * double(d) * double(d) / double(width * height);
    };
    for (const float bound : {50.0f, 100.0f, 200.0f}) {
        const double nearer = coverage(bound - 0.5f);
        const double farther = coverage(bound + 0.5f);
        EXPECT_EQ(qm::levelForDistance(bound - 0.5f) + 1, qm::levelForDistance(bound + 0.5f));
        EXPECT_GT(nearer, 0.0) << "in front of " << bound;
        EXPECT_GT(farther, 0.0) << "behind " << bound;
        // 0.87 to 1.06 here; an oak whose level 1 lost its trunk gave 0.58.
        EXPECT_GT(farther / nearer, 0.75) << "across " << bound;
        EXPECT_LT(farther / nearer, 1.33) << "across " << bound;
    }
    glViewport(windowViewport[0], windowViewport[1], windowViewport[2], windowViewport[3]);
}

// A sphere file that reads but has no node named "Sphere" stops the import
// before the model is read. (A sphere file that cannot be read at all is the
// bad-input rows' "sphere" and "truncated-sphere".)
TEST_F(SceneImport, ASphereFileWithoutTheSphereStopsTheImport)
{
    writeSphere("Ball");
    EXPECT_FALSE(import(SmallModel().fbx));
    EXPECT_EQ(errors.rfind("Error reading sphere mesh: ", 0), 0u) << errors;
    EXPECT_TRUE(console.ends_with("Thank you for understanding.\n")) << console;
}

TEST_F(SceneImport, MissingTableLeavesEveryMaterialOut)
{
    fs::remove(directory / "shader_sources.txt");
    const SmallModel model;
    const auto scene = import(model.fbx);
    ASSERT_TRUE(scene);
    EXPECT_EQ(errors.rfind("Could not open shader_sources.txt.\n", 0), 0u) << errors;
    for (const char* name : {"Stone", "Grass", "Unlisted"})
        EXPECT_NE(errors.find("Could not find shader for the material \"" + std::string(name) + "\"."),
                  std::string::npos)
            << name;
    // Only the lights outside the left-out subtree remain.
    ASSERT_EQ(scene->objects.size(), 2u);
    EXPECT_TRUE(scene->objects[0]->light && scene->objects[1]->light);
}

// The real FBX files of the test data through the shipped scene's rules,
// with a table mapping all their materials: their textures carry the paths
// of other machines, and only those not beside the file are reported. The
// duck and the jeep carry theirs inside (a TGA and a JPEG file).
TEST_F(SceneImport, RealModelFilesImportWithOnlyTheirMissingPicturesReported)
{
    for (const auto& entry : fs::directory_iterator(QM_TESTDATA_DIRECTORY "/fbx"))
        fs::create_symlink(entry.path(), directory / entry.path().filename());
    for (const char* file : {"duck.fbx", "jeep1.fbx", "spider.fbx"}) {
        SCOPED_TRACE(file);
        Assimp::Importer reader;
        const aiScene* read = reader.ReadFile((directory / file).string(), qm::modelReadFlags);
        ASSERT_TRUE(read);
        std::string table = "material_standard deferred\n###\n";
        for (unsigned i = 0; i < read->mNumMaterials; ++i)
            table += std::string(read->mMaterials[i]->GetName().C_Str()) + " material_standard\n";
        writeFile(directory / "shader_sources.txt", table);

        const auto scene = importFile(directory / file);
        ASSERT_TRUE(scene) << errors;
        EXPECT_FALSE(scene->objects.empty());
        if (std::string(file) != "spider.fbx") {
            EXPECT_EQ(errors, "");
        }
        std::istringstream lines(errors);
        for (std::string line; std::getline(lines, line);)
            EXPECT_EQ(line.rfind("Unable to open file - ", 0), 0u) << line;
    }
}

}  // namespace
