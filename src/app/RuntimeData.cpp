#include "RuntimeData.h"

#include <SDL.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <system_error>

namespace qm {

namespace fs = std::filesystem;

std::vector<fs::path> runtimeDataCandidates(const char* override, const fs::path& executableDirectory)
{
    if (override && *override)
        return {override};
    return {executableDirectory, (executableDirectory / QM_DATA_FROM_BINARY).lexically_normal()};
}

std::optional<fs::path> findRuntimeData(const std::vector<fs::path>& candidates)
{
    for (const fs::path& candidate : candidates) {
        std::error_code error;
        if (fs::is_directory(candidate / "QM", error))
            return candidate;
    }
    return std::nullopt;
}

namespace {

fs::path executableDirectory()
{
    // SDL names the executable's folder with a closing separator.
    const std::unique_ptr<char, decltype(&SDL_free)> basePath(SDL_GetBasePath(), SDL_free);
    if (basePath)
        return fs::path(basePath.get()).parent_path();
    std::error_code error;
    return fs::current_path(error);
}

}  // namespace

std::string readerProgram()
{
    // The installed place first: a reader left beside an installed viewer
    // by an older version is not the one to run.
    const fs::path directory = executableDirectory();
    const fs::path installed = (directory / QM_READER_FROM_BINARY / "quillmoor-reader").lexically_normal();
    std::error_code error;
    if (fs::exists(installed, error))
        return installed.string();
    return (directory / "quillmoor-reader").string();
}

std::optional<fs::path> runtimeData()
{
    const fs::path executableDirectory = qm::executableDirectory();
    const auto candidates = runtimeDataCandidates(std::getenv("QUILLMOOR_DATA"), executableDirectory);
    if (const auto found = findRuntimeData(candidates)) {
        std::error_code error;
        const fs::path whole = fs::absolute(*found, error);
        return error ? *found : whole;
    }
    std::cerr << "Could not find the runtime data (a folder holding QM/) in";
    for (std::size_t i = 0; i < candidates.size(); ++i)
        std::cerr << (i == 0 ? " \"" : " nor in \"") << candidates[i].string() << "\"";
    std::cerr << "." << std::endl;
    return std::nullopt;
}

}  // namespace qm
