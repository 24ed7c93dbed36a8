#include "TexturePath.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace qm {

namespace fs = std::filesystem;

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool isFile(const fs::path& path)
{
    std::error_code error;
    return fs::is_regular_file(path, error);
}

// A file of `folder` whose name equals `name` but for letter case.
std::optional<fs::path> caseInsensitiveMatch(const fs::path& folder, const std::string& name)
{
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (lowered(it->path().filename().string()) == name && isFile(it->path()))
            return it->path();
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> findTextureFile(const std::string& directory, const std::string& named)
{
    std::string path = named;
    std::replace(path.begin(), path.end(), '\\', '/');
    const fs::path folder = directory.empty() ? fs::path(".") : fs::path(directory);
    const fs::path written = fs::path(path).is_absolute() ? fs::path(path) : folder / path;
    const std::string base = fs::path(path).filename().string();
    if (isFile(written))
        return written.string();
    if (base.empty())
        return std::nullopt;
    if (isFile(folder / base))
        return (folder / base).string();

    const std::string wanted = lowered(base);
    if (auto match = caseInsensitiveMatch(folder, wanted))
        return match->string();
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code kind;
        if (!it->is_directory(kind))
            continue;
        if (auto match = caseInsensitiveMatch(it->path(), wanted))
            return match->string();
    }
    return std::nullopt;
}

}  // namespace qm
