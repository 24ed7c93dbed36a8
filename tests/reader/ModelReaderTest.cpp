#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "ModelReader.h"

namespace {

namespace fs = std::filesystem;

// Real files the reader takes, and damaged ones it refuses with a reason
// (those that crash it are the viewer's reader process's tests); the same
// reader goes on reading the next file.
TEST(ModelReader, DamagedFilesFailWithAReason)
{
    const struct {
        std::string path;
        const char* reason;  // a part of the error; empty for a file that reads
    } cases[] = {
        {QM_TESTDATA_DIRECTORY "/fbx/spider.fbx", ""},
        // A damaged PLY file whose faces name vertices it lacks: the reader's
        // validation refuses it before the processing steps read out of bounds.
        {QM_REGRESSION_DIRECTORY "/import/face-index-out-of-range.ply", "Validation failed: aiMesh::mFaces["},
        {QM_TESTDATA_DIRECTORY "/meshes/teapot.obj", ""},
        {"/nonexistent/model.fbx", "Unable to open file \"/nonexistent/model.fbx\"."},
        {QM_TESTDATA_DIRECTORY "/fbx/jeep1.jpg", "No suitable reader found"},
        {QM_TESTDATA_DIRECTORY "/fbx/jeep1.fbx", ""},
    };
    Assimp::Importer reader;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::string error;
        const aiScene* scene = qm::readModelFile(reader, c.path, error);
        if (*c.reason) {
            EXPECT_FALSE(scene);
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        } else {
            ASSERT_TRUE(scene) << error;
            EXPECT_GT(scene->mNumMeshes, 0u);
        }
    }
}

// The files besides the model that the reader opened, which the scene
// cache and a watch must follow: a glTF file's buffer, an OBJ file's
// material file, also when it is missing (it may be written later).
TEST(ModelReader, NamesTheOtherFilesItOpened)
{
    const fs::path lacking = fs::temp_directory_path() / ("qm-lacking-" + std::to_string(::getpid()) + ".obj");
    std::ofstream(lacking) << "mtllib qm-never-written.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    const std::string missing = (lacking.parent_path() / "qm-never-written.mtl").string();
    const struct {
        std::string model;
        std::string other;
    } cases[] = {{QM_TESTDATA_DIRECTORY "/formats/box.gltf", QM_TESTDATA_DIRECTORY "/formats/box.bin"},
                 {QM_TESTDATA_DIRECTORY "/formats/box.obj", QM_TESTDATA_DIRECTORY "/formats/box.mtl"},
                 {QM_TESTDATA_DIRECTORY "/formats/box.glb", ""},
                 {lacking.string(), missing}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        Assimp::Importer reader;
        std::string error;
        std::vector<std::string> opened;
        ASSERT_TRUE(qm::readModelFile(reader, c.model, error, &opened)) << error;
        if (c.other.empty()) {
            EXPECT_TRUE(opened.empty());
            continue;
        }
        const std::string expected = fs::path(c.other).lexically_normal();
        EXPECT_EQ(std::count(opened.begin(), opened.end(), expected), 1) << testing::PrintToString(opened);
        EXPECT_TRUE(std::all_of(opened.begin(), opened.end(), [](const std::string& p) { return p.front() == '/'; }));
    }
    fs::remove(lacking);
}

}  // namespace
