#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace qm {

// A regular file's bytes mapped read-only for as long as this lives. Empty
// (and false) when the file cannot be opened, is no regular file, or is
// empty.
class MappedFile {
public:
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    explicit operator bool() const { return address != nullptr; }
    std::span<const std::uint8_t> bytes() const { return {static_cast<const std::uint8_t*>(address), size}; }

private:
    void* address = nullptr;
    std::size_t size = 0;
};

}  // namespace qm
