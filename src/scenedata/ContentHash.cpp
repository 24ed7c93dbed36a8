#include "ContentHash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xxhash.h>

#include <cerrno>
#include <cstdio>
#include <vector>

namespace qm {

namespace {

std::string digits(const XXH128_hash_t& hash)
{
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                  static_cast<unsigned long long>(hash.low64));
    return text;
}

}  // namespace

std::string contentHash(std::span<const std::uint8_t> bytes)
{
    return digits(XXH3_128bits(bytes.data(), bytes.size()));
}

std::optional<std::string> fileContentHash(const std::string& path)
{
    // Read in pieces, not mapped: a mapping of a file of gigabytes would
    // count in the viewer's memory, and fault in page by page.
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return std::nullopt;
    struct stat status {};
    XXH3_state_t* state = XXH3_createState();
    bool ok = state && ::fstat(file, &status) == 0 && S_ISREG(status.st_mode) && XXH3_128bits_reset(state) == XXH_OK;
    std::vector<char> piece(std::size_t(1) << 20);
    for (ssize_t got; ok && (got = ::read(file, piece.data(), piece.size())) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        ok = got > 0 && XXH3_128bits_update(state, piece.data(), std::size_t(got)) == XXH_OK;
    }
    ::close(file);
    std::optional<std::string> hash;
    if (ok)
        hash = digits(XXH3_128bits_digest(state));
    XXH3_freeState(state);
    return hash;
}

std::uint64_t checksum(std::span<const std::uint8_t> bytes)
{
    return XXH3_64bits(bytes.data(), bytes.size());
}

}  // namespace qm
