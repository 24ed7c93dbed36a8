#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "ModelReader.h"
#include "SceneImport.h"

namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A real file the reader takes, then damaged ones: each ends in a reason, and
// the same reader goes on reading the next file.
TEST(ModelReader, DamagedFilesFailWithAReason)
{
    const fs::path deep = fs::path(testing::TempDir()) / "deep.fbx";
    std::ofstream(deep) << "; FBX 7.4.0 project file\n" << std::string(2000, '{');
    const fs::path deepJson = fs::path(testing::TempDir()) / "deep.gltf";
    std::ofstream(deepJson) << R"({"asset":{"version":"2.0"},"extras":)" << std::string(200000, '[');
    const struct {
        std::string path;
        const char* reason;  // a part of the error; empty for a file that reads
    } cases[] = {
        {QM_TESTDATA_DIRECTORY "/fbx/spider.fbx", ""},
        // The test data's spider given a skin whose one cluster names a vertex
        // the mesh lacks: the reader's internal check fails, which would abort.
        {QM_REGRESSION_DIRECTORY "/import/skin-vertex-out-of-range.fbx",
         "the model reader's internal check \"out_idx != nullptr\" failed (FBXConverter.cpp, line "},
        {QM_TESTDATA_DIRECTORY "/meshes/teapot.obj", ""},
        // A damaged PLY file whose faces name vertices it lacks: the reader
        // takes it, and the processing steps after it would read out of bounds.
        {QM_REGRESSION_DIRECTORY "/import/face-index-out-of-range.ply", "Validation failed: aiMesh::mFaces["},
        {deep.string(), "is nested more than 1024 levels deep"},
        {deepJson.string(), "is nested more than 1024 levels deep"},
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

// One small model, a textured box under a plain roof (10 quads and triangles,
// 16 triangles), in every format the viewer opens; the formats without
// materials or objects hold it as one mesh. Its triangles share vertices
// once imported, whether the file shares them (PLY, glTF) or not.
TEST(ModelReader, EveryFormatGivesTheBox)
{
    const struct {
        const char* file;
        unsigned meshes;
    } cases[] = {{"box.obj", 2}, {"box.gltf", 2}, {"box-embedded.gltf", 2}, {"box.glb", 2},       {"box.dae", 2},
                 {"box.3ds", 2}, {"box.ply", 1},  {"box.stl", 1},           {"box-binary.stl", 1}};
    for (const auto& c : cases) {
        Assimp::Importer reader;
        std::string error;
        const aiScene* scene = qm::readModelFile(reader, QM_TESTDATA_DIRECTORY "/formats/" + std::string(c.file), error);
        ASSERT_TRUE(scene) << c.file << ": " << error;
        EXPECT_EQ(scene->mNumMeshes, c.meshes) << c.file;
        unsigned triangles = 0;
        unsigned vertices = 0;
        for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
            std::string problem;
            const auto data = qm::readMeshData(*scene->mMeshes[m], problem);
            ASSERT_TRUE(data) << c.file << ": " << problem;
            triangles += unsigned(data->indices.size() / 3);
            vertices += unsigned(data->vertices.size());
        }
        EXPECT_EQ(triangles, 16u) << c.file;
        EXPECT_LT(vertices, 3 * triangles) << c.file;
    }
}

// From memory the reader tells the format by the content, and the same guard holds.
TEST(ModelReader, FilesInMemoryAreRecognisedByTheirContent)
{
    Assimp::Importer reader;
    std::string error;
    for (const char* path : {QM_TESTDATA_DIRECTORY "/fbx/duck.fbx", QM_TESTDATA_DIRECTORY "/meshes/cow.obj"}) {
        const std::string bytes = contents(path);
        EXPECT_TRUE(qm::readModelFromMemory(reader, bytes, "", error)) << path << ": " << error;
    }
    const std::string damaged = contents(QM_REGRESSION_DIRECTORY "/import/skin-vertex-out-of-range.fbx");
    EXPECT_FALSE(qm::readModelFromMemory(reader, damaged, "", error));
    EXPECT_NE(error.find("out_idx != nullptr"), std::string::npos) << error;
    EXPECT_FALSE(qm::readModelFromMemory(reader, "", "", error));
    EXPECT_FALSE(error.empty());
}

// Inputs the fuzzer or a review found: each reads or fails with a reason, and
// none ends the process.
TEST(ModelReader, FindingsFailWithAReason)
{
    Assimp::Importer reader;
    for (const auto& entry : fs::directory_iterator(QM_REGRESSION_DIRECTORY "/import")) {
        std::string error;
        if (!qm::readModelFile(reader, entry.path().string(), error)) {
            EXPECT_FALSE(error.empty()) << entry.path();
        }
    }
}

// Damage that crashed the reader's own parsers when fuzzing found it (or,
// for the Collada file, made it grow to about 20 GB): each is now refused
// with a reason before the reader sees it, from a file and from memory.
TEST(ModelReader, DamageTheReaderDoesNotSurviveIsRefusedFirst)
{
    const struct {
        const char* file;
        const char* hint;  // read from memory with this hint; none: from the file only
        const char* reason;
    } cases[] = {
        // From memory an OBJ file has no material file beside it: only the file counts.
        {"map-before-newmtl.obj", nullptr, "names a texture before its first material (line 1)"},
        {"obj-read-from-memory", "obj", "names a texture before its first material"},
        {"no-end-header.ply", "ply", "the header has no end_header line"},
        {"comma-in-index-list.dae", "dae", "the index list <p> holds \",\", which is not a number"},
        {"obj-bump-prefix-from-memory", "obj", "names a texture before its first material (line 17)"},
        {"obj-zero-byte-line-end-from-memory", "obj", "names a texture before its first material (line 42)"},
        // Named glTF, refused by the glTF reader, then taken up by the OBJ reader.
        {"gltf-read-as-obj-from-memory", "gltf", "names a texture before its first material"},
        {"end-header-glued-to-the-next-line.ply", "ply", "the header's end_header line goes on"},
        {"unknown-list-type.ply", "ply", "the header names \"doubleint\" as a list's count type"},
        {"array-without-count.dae", "dae", "the <float_array> element on line 151 has no count attribute"},
        {"chunk-longer-than-the-file.glb", "glb", "a chunk at byte 12 claims 4245883848 bytes, more than the file holds"},
        // "ply" after a blank line: the reader still takes it, and read past its data.
        {"blank-line-before-ply.ply", "ply", "the header has no end_header line"},
    };
    Assimp::Importer reader;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const fs::path path = fs::path(QM_REGRESSION_DIRECTORY "/prevented") / c.file;
        std::string error;
        if (c.hint) {
            EXPECT_FALSE(qm::readModelFromMemory(reader, contents(path), c.hint, error));
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        }
        // Without an extension the reader would not know the format from the file.
        if (path.has_extension()) {
            EXPECT_FALSE(qm::readModelFile(reader, path.string(), error));
            EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        }
    }
    // The test data's binary PLY file damaged in each way the check knows.
    const std::string box = contents(QM_TESTDATA_DIRECTORY "/formats/box.ply");
    const std::size_t headerEnd = box.find("end_header\n");
    const struct {
        std::string bytes;
        const char* reason;
    } damaged[] = {
        {box.substr(0, box.size() - 100), "the binary data ends before the elements its header declares"},
        {std::string(box).replace(box.find("format") + 15, 1, 1, '\0'),
         "the header holds a byte that is not text, on line 2"},
        {std::string(box).replace(box.find("binary_little_endian"), 20, "binary_middle_endian"),
         "the header names the format \"binary_middle_endian\""},
        {"ply\nformat binary_little_endian 1.0\nend_header\n" + box.substr(headerEnd + 11),
         "the header declares no elements"},
        {std::string(box).replace(box.find("float x"), 7, "floaty x"),
         "the header names the unknown property type \"floaty\""},
        {std::string(box).replace(box.find("list uchar"), 10, "list float"),
         "the header names \"float\" as a list's count type, not an integer type"},
    };
    std::string error;
    for (const auto& d : damaged) {
        EXPECT_FALSE(qm::readModelFromMemory(reader, d.bytes, "ply", error));
        EXPECT_NE(error.find(d.reason), std::string::npos) << error;
    }
    // Letters beyond ASCII in a comment are no damage: the reader takes them.
    const std::string commented =
        std::string(box).insert(box.find("element"), "comment Gemessen von J\xC3\xBCrgen \xE2\x80\x94 Hochmoor\n");
    EXPECT_TRUE(qm::readModelFromMemory(reader, commented, "ply", error)) << error;
}

}  // namespace

namespace {

// Found by fuzzing, not yet prevented: the model reader's own parsers
// dereference a null pointer (binary glTF) or read past a buffer (a file
// named glTF that the glTF reader refuses and another reader takes) on these
// damaged files. Enable once they cannot end the process.
TEST(ModelReader, DISABLED_ReaderCrashesFailWithAReason)
{
    Assimp::Importer reader;
    for (const auto& entry : fs::directory_iterator(QM_REGRESSION_DIRECTORY "/reader-crashes")) {
        std::string error;
        EXPECT_FALSE(qm::readModelFile(reader, entry.path().string(), error)) << entry.path();
        EXPECT_FALSE(error.empty()) << entry.path();
    }
}

}  // namespace
