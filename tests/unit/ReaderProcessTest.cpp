// The model reader's process, as the viewer starts it: what each kind of end
// of the process says, and that none of them reaches the viewer's process.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ByteCodec.h"
#include "ReaderProcess.h"
#include "SceneDataFile.h"

namespace {

qm::ReaderSettings settings()
{
    return qm::readerSettings(QM_READER_PROGRAM);
}

TEST(ReaderProcess, HandsOverTheSceneOrTheReadersReason)
{
    const qm::ReaderOutcome read = qm::readInReaderProcess(QM_TESTDATA_DIRECTORY "/formats/box.gltf", settings());
    ASSERT_EQ(read.error, "");
    std::string problem;
    const auto scene = qm::decodeSceneData(qm::asBytes(read.sceneData), problem);
    ASSERT_TRUE(scene) << problem;
    EXPECT_EQ(scene->meshes.size(), 2u);
    EXPECT_EQ(scene->sourceFiles, std::vector<std::string>{QM_TESTDATA_DIRECTORY "/formats/box.bin"});

    const struct {
        const char* path;
        const char* error;
    } refused[] = {
        {"/nonexistent/model.fbx", "Unable to open file \"/nonexistent/model.fbx\"."},
        {QM_TESTDATA_DIRECTORY "/fbx/jeep1.jpg", "No suitable reader found for the file format of file \""},
        {QM_REGRESSION_DIRECTORY "/import/face-index-out-of-range.ply", "Validation failed: aiMesh::mFaces[2]"},
    };
    for (const auto& r : refused) {
        const qm::ReaderOutcome failed = qm::readInReaderProcess(r.path, settings());
        EXPECT_EQ(failed.error.rfind(r.error, 0), 0u) << failed.error;
        EXPECT_TRUE(failed.sceneData.empty());
    }
    qm::ReaderSettings missing = settings();
    missing.program = "/nonexistent/quillmoor-reader";
    EXPECT_EQ(qm::readInReaderProcess(QM_TESTDATA_DIRECTORY "/formats/box.gltf", missing).error,
              "the model reader could not be started (/nonexistent/quillmoor-reader: No such file or directory)");
}

// A reader that spins is stopped as soon as the viewer no longer waits. (Its
// time limit, set by QUILLMOOR_READER_TIMEOUT, and the memory limit, with
// their messages as the viewer prints them, are e2e.open-model.reader's.)
TEST(ReaderProcess, ASpinningReaderEndsWhenCancelled)
{
    setenv("QUILLMOOR_READER_FAULT", "spin", 1);  // the reader's test mode
    int asked = 0;
    const qm::ReaderOutcome read =
        qm::readInReaderProcess(QM_TESTDATA_DIRECTORY "/formats/box.obj", settings(), [&asked] { return ++asked < 3; });
    unsetenv("QUILLMOOR_READER_FAULT");
    EXPECT_TRUE(read.cancelled);
    EXPECT_EQ(read.error, "the read was cancelled");
    EXPECT_EQ(asked, 3);
}

TEST(ReaderProcess, LimitsAndTheirWords)
{
    EXPECT_EQ(qm::memoryText(std::uint64_t(12) << 30), "12 GiB");
    EXPECT_EQ(qm::memoryText(std::uint64_t(3) << 29), "1.5 GiB");
    setenv("QUILLMOOR_READER_MEMORY", "300", 1);
    EXPECT_EQ(qm::readerSettings("reader", std::uint64_t(1) << 30).memoryLimit, std::uint64_t(300) << 20)
        << "the variable holds over a caller's cap";
    unsetenv("QUILLMOOR_READER_MEMORY");
    const qm::ReaderSettings defaults = qm::readerSettings("reader");
    EXPECT_GT(defaults.memoryLimit, 0u);
    EXPECT_LE(defaults.memoryLimit, std::uint64_t(16) << 30);
    EXPECT_EQ(defaults.timeLimit, 120);
    EXPECT_LE(qm::readerSettings("reader", std::uint64_t(1) << 30).memoryLimit, std::uint64_t(1) << 30);
}

}  // namespace
