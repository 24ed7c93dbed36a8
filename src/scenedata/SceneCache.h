#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "MappedFile.h"

namespace qm {

// Where the scene cache lives and how large it may grow.
struct CacheSettings {
    std::string folder;
    std::uint64_t capacity = 0;
};

// $XDG_CACHE_HOME/quillmoor (~/.cache/quillmoor without it), 2 GiB;
// QUILLMOOR_CACHE_SIZE (MiB) changes the cap. Nothing without a home.
std::optional<CacheSettings> cacheSettings();

// The files an entry was built from besides the model file, each with its
// content hash when it was built (empty: it did not exist).
using SourceFiles = std::vector<std::pair<std::string, std::string>>;

// A file's path as an entry records it: absolute and lexically normal, so
// that it names the same file from any working folder (as given when the
// working folder cannot be known).
std::string recordedPath(const std::string& path);

// The files as they are now, for an entry's list.
SourceFiles hashSourceFiles(const std::vector<std::string>& paths);

// One cache entry: opaque sections of bytes (the scene data, the levels of
// detail) and the source files, in one file:
//   "QMCACHE" and a zero byte, the version (64 bits),
//   sections: a 64-bit size and the bytes each, the last one the source list,
//   an XXH3 64-bit checksum of everything before it.
// Written aside and renamed into place, so that a reader never sees half an
// entry and two writers of one entry both succeed (the last one stays).
class CacheEntry {
public:
    // The entry for `key` when it exists, is whole and undamaged, and its
    // source files are unchanged; nothing otherwise (a damaged entry is
    // removed). Marks it as used, for the eviction.
    static std::unique_ptr<CacheEntry> open(const CacheSettings& settings, const std::string& key);

    const std::span<const std::uint8_t>& section(std::size_t i) const { return sections.at(i); }
    std::size_t sectionCount() const { return sections.size(); }

    // Removes this entry's file (its data turned out unusable).
    void discard() const;

private:
    explicit CacheEntry(const std::string& path) : file(path), filePath(path) {}
    MappedFile file;
    std::string filePath;
    std::vector<std::span<const std::uint8_t>> sections;
};

// Writes an entry section by section, so that a large section need not be
// held until the last is ready. Nothing is visible before commit; a writer
// destroyed without commit leaves nothing behind.
class CacheWriter {
public:
    CacheWriter(const CacheSettings& settings, const std::string& key);
    ~CacheWriter();
    CacheWriter(const CacheWriter&) = delete;
    CacheWriter& operator=(const CacheWriter&) = delete;

    void add(std::span<const std::uint8_t> section);
    void add(const std::string& section);
    // Appends the source list, puts the entry in place and evicts the least
    // recently used entries beyond the cap. False when anything failed (the
    // cache is then left as it was).
    bool commit(const SourceFiles& sources);

private:
    void write(std::span<const std::uint8_t> bytes);

    CacheSettings settings;
    std::string finalPath;
    std::string temporaryPath;
    int file = -1;
    bool failed = false;
    struct Hashing;
    std::unique_ptr<Hashing> hashing;
};

// The key of a model file's entry: its content, its place (the pictures and
// material files it names are found beside it, so a copy elsewhere may be
// built from other files) and what the build makes of it (the viewer's
// version, the options that change what is built). Nothing when the file
// cannot be read.
std::optional<std::string> cacheKey(const std::string& modelPath, const std::string& build);

}  // namespace qm
