#include "ModelReader.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

#include "FormatChecks.h"
#include "ModelNesting.h"

// Debian's model reader is built with its internal checks on: a check that
// fails calls Assimp::aiAssertViolation, whose own definition aborts. The
// library calls that exported function through the dynamic linker, so this
// definition in the executable takes its place (the linker exports it
// because the library refers to it). Throwing is safe there: the reader
// catches exceptions around every format's parser and reports their text as
// the reading error, and readGuarded below catches those thrown by the
// processing steps after the parser. The definition lives in this file so
// that every program that reads a model links it.
namespace Assimp {

void aiAssertViolation(const char* failedExpression, const char* file, int line)
{
    std::string source = file;
    source = source.substr(source.find_last_of('/') + 1);
    throw std::runtime_error("the model reader's internal check \"" + std::string(failedExpression) + "\" failed (" +
                             source + ", line " + std::to_string(line) + ")");
}

}  // namespace Assimp

namespace qm {

namespace {

template <typename Read>
const aiScene* readGuarded(Assimp::Importer& reader, Read read, std::string& error)
{
    const aiScene* scene = nullptr;
    try {
        scene = read();
        error = reader.GetErrorString();
    } catch (const std::exception& thrown) {
        error = thrown.what();
    }
    if (scene && (scene->mFlags == AI_SCENE_FLAGS_INCOMPLETE || !scene->mRootNode)) {
        scene = nullptr;
        if (error.empty())
            error = "the file holds no complete scene";
    }
    return scene;
}

std::string nestingError(const std::string& name)
{
    return "\"" + name + "\" is nested more than " + std::to_string(maxModelNesting) + " levels deep";
}

// The whole file in one read (a byte at a time costs a second for 150 MB);
// nothing when it is no regular file or cannot be opened, which the reader
// then reports. A file cut short meanwhile gives what it still holds.
std::optional<std::string> fileBytes(const std::string& path)
{
    std::error_code failed;
    if (!std::filesystem::is_regular_file(path, failed))
        return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, failed);
    std::ifstream file{path, std::ios::binary};
    if (failed || !file)
        return std::nullopt;
    std::string bytes(std::size_t(size), '\0');
    file.read(bytes.data(), std::streamsize(bytes.size()));
    bytes.resize(std::size_t(file.gcount()));
    return bytes;
}

}  // namespace

const aiScene* readModelFile(Assimp::Importer& reader, const std::string& path, std::string& error)
{
    if (const std::optional<std::string> bytes = fileBytes(path)) {
        if (nestsDeeperThan(*bytes, maxModelNesting)) {
            error = nestingError(path);
            return nullptr;
        }
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (auto damage = damageBeforeReading(*bytes, folder.empty() ? "." : folder.string())) {
            error = *damage;
            return nullptr;
        }
    }  // else the reader says it cannot open it
    return readGuarded(reader, [&] { return reader.ReadFile(path, modelReadFlags); }, error);
}

const aiScene* readModelFromMemory(Assimp::Importer& reader, std::string_view bytes, const char* hint,
                                   std::string& error)
{
    if (nestsDeeperThan(bytes, maxModelNesting)) {
        error = nestingError("the file in memory");
        return nullptr;
    }
    if (auto damage = damageBeforeReading(bytes, "")) {
        error = *damage;
        return nullptr;
    }
    return readGuarded(
        reader, [&] { return reader.ReadFileFromMemory(bytes.data(), bytes.size(), modelReadFlags, hint); }, error);
}

}  // namespace qm
