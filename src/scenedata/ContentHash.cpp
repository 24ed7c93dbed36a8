#include "ContentHash.h"

#include <cstdio>
#include <filesystem>

#include <xxhash.h>

#include "MappedFile.h"

namespace qm {

std::string contentHash(std::span<const std::uint8_t> bytes)
{
    const XXH128_hash_t hash = XXH3_128bits(bytes.data(), bytes.size());
    char digits[33];
    std::snprintf(digits, sizeof digits, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                  static_cast<unsigned long long>(hash.low64));
    return digits;
}

std::optional<std::string> fileContentHash(const std::string& path)
{
    const MappedFile file(path);
    if (file)
        return contentHash(file.bytes());
    // An empty regular file maps to nothing, yet has a content.
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error) && std::filesystem::file_size(path, error) == 0 && !error)
        return contentHash({});
    return std::nullopt;
}

std::uint64_t checksum(std::span<const std::uint8_t> bytes)
{
    return XXH3_64bits(bytes.data(), bytes.size());
}

}  // namespace qm
