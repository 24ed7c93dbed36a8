#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace qm {

// A 128-bit hash of bytes (XXH3), as 32 hexadecimal digits: names cache
// entries and tells whether a file changed.
std::string contentHash(std::span<const std::uint8_t> bytes);

// The same for a file's content; nothing when it cannot be read.
std::optional<std::string> fileContentHash(const std::string& path);

// A 64-bit check of bytes (XXH3), for damage in stored or handed-over data.
std::uint64_t checksum(std::span<const std::uint8_t> bytes);

}  // namespace qm
