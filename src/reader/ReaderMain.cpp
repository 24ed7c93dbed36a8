// The model reader's own process: reads one model file and writes it to
// standard output as scene data (SceneDataFile.h), then exits. The viewer
// starts it for every model it opens (see ReaderProcess.h), so that a file
// that crashes, exhausts or hangs the reader ends this process, not the
// viewer.
//   quillmoor-reader [--memory-limit BYTES] [--time-limit SECONDS] [--reader auto|assimp] MODEL
// glTF 2.0 files are read by the project's own reader (GltfReader.h), the
// rest, and glTF files too with --reader assimp, by the model reader.
// Exit status: 0 with the scene data written; 3 with the reader's reason
// written instead; 4 when memory ran out; 2 for a wrong command line.
// QUILLMOOR_READER_FAULT=crash|spin|memory makes it misbehave on purpose,
// for the tests of the viewer's limits.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "GltfDocument.h"
#include "GltfReader.h"
#include "ModelReader.h"
#include "ReaderExit.h"
#include "SceneConversion.h"
#include "SceneDataFile.h"

namespace {

bool writeAll(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(std::size_t(written));
    }
    return true;
}

// The hard limit a second above the soft one: processor time past the
// soft limit ends the process with SIGXCPU, which the viewer tells apart
// from a crash; at the hard limit the kernel would send SIGKILL.
void limit(int resource, rlim_t value)
{
    const rlimit limits{value, resource == RLIMIT_CPU ? value + 1 : value};
    ::setrlimit(resource, &limits);
}

[[noreturn]] void outOfMemory()
{
    ::_exit(qm::readerExitOutOfMemory);
}

// The test modes. The memory hog stops at the limit by itself where no
// address-space limit holds (sanitizer builds), so as not to take the machine.
void misbehave(std::string_view fault, unsigned long long memoryLimit)
{
    if (fault == "crash")
        std::raise(SIGSEGV);
    if (fault == "spin") {
        volatile unsigned long turns = 0;
        for (;;)
            turns = turns + 1;
    }
    if (fault == "memory") {
        std::vector<std::vector<char>> hoard;
        for (unsigned long long held = 0; held <= memoryLimit; held += std::size_t(64) << 20)
            hoard.emplace_back(std::size_t(64) << 20, '\1');
        outOfMemory();
    }
}

bool isGltf(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension == ".gltf" || extension == ".glb";
}

// A glTF 2.0 file through the project's own reader; nothing for a glTF of
// another version, which the model reader takes. False, with the reason,
// when the file cannot be read.
std::optional<qm::SceneData> readOwnGltf(const std::string& path, std::string& error, bool& refused)
{
    try {
        return qm::readGltfFile(path);
    } catch (const qm::GltfForModelReader&) {
        return std::nullopt;
    } catch (const qm::GltfError& failure) {
        error = failure.what();
        refused = true;
        return std::nullopt;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::string path;
    unsigned long long memoryLimit = ~0ull;
    bool assimpOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--reader" && i + 1 < argc &&
            (std::string_view(argv[i + 1]) == "assimp" || std::string_view(argv[i + 1]) == "auto")) {
            assimpOnly = std::string_view(argv[++i]) == "assimp";
        } else if ((argument == "--memory-limit" || argument == "--time-limit") && i + 1 < argc) {
            const unsigned long long value = std::strtoull(argv[++i], nullptr, 10);
#ifndef QM_SANITIZER_BUILD
            if (argument == "--memory-limit")
                limit(RLIMIT_AS, value);
#endif
            if (argument == "--memory-limit")
                memoryLimit = value;
            if (argument == "--time-limit")
                limit(RLIMIT_CPU, value);
        } else if (path.empty() && !argument.starts_with("--")) {
            path = argument;
        } else {
            return qm::readerExitUsage;
        }
    }
    if (path.empty())
        return qm::readerExitUsage;
    limit(RLIMIT_CORE, 0);
    std::set_new_handler(outOfMemory);
    if (const char* fault = std::getenv("QUILLMOOR_READER_FAULT"))
        misbehave(fault, memoryLimit);

    std::string error;
    if (!assimpOnly && isGltf(path)) {
        bool refused = false;
        if (std::optional<qm::SceneData> data = readOwnGltf(path, error, refused))
            return writeAll(qm::encodeSceneData(*data)) ? qm::readerExitRead : qm::readerExitUsage;
        if (refused) {
            writeAll(error);
            return qm::readerExitRefused;
        }
    }
    Assimp::Importer reader;
    std::vector<std::string> opened;
    const aiScene* scene = qm::readModelFile(reader, path, error, &opened);
    if (!scene) {
        writeAll(error.empty() ? "the model reader gave no reason" : error);
        return qm::readerExitRefused;
    }
    qm::SceneData data = qm::toSceneData(*scene);
    reader.FreeScene();
    data.sourceFiles = std::move(opened);
    const std::string bytes = qm::encodeSceneData(data);
    data = {};
    return writeAll(bytes) ? qm::readerExitRead : qm::readerExitUsage;
}
