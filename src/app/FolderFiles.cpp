#include "FolderFiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace qm {

namespace fs = std::filesystem;

namespace {

bool isModelFile(const fs::path& path)
{
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    for (const char* known : {".fbx", ".gltf", ".glb", ".obj", ".dae", ".3ds", ".ply", ".stl"})
        if (extension == known)
            return true;
    return false;
}

// The folder's model files, in name order; empty when it cannot be read.
std::vector<fs::path> modelFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code kind;
        if (it->is_regular_file(kind) && isModelFile(it->path()))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

std::optional<FolderPlace> placeInFolder(const std::string& file)
{
    return stepInFolder(file, 0);
}

std::optional<FolderPlace> stepInFolder(const std::string& file, int steps)
{
    const fs::path path = fs::path(file).has_parent_path() ? fs::path(file) : fs::path(".") / file;
    const std::vector<fs::path> files = modelFiles(path.parent_path());
    if (files.empty())
        return std::nullopt;
    const auto at = std::lower_bound(files.begin(), files.end(), path);
    const bool there = at != files.end() && *at == path;
    if (steps == 0 && !there)
        return std::nullopt;
    // A file that is gone steps from the gap it left in the name order.
    const auto count = std::ptrdiff_t(files.size());
    const std::ptrdiff_t from = (at - files.begin()) - (!there && steps > 0 ? 1 : 0);
    const std::ptrdiff_t index = ((from + steps) % count + count) % count;
    return FolderPlace{files[std::size_t(index)].string(), std::size_t(index) + 1, files.size()};
}

std::string describePlace(const FolderPlace& place)
{
    return fs::path(place.file).filename().string() + " (" + std::to_string(place.number) + "/" +
           std::to_string(place.count) + ")";
}

}  // namespace qm
