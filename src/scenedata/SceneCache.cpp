#include "SceneCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <xxhash.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>

#include "ByteCodec.h"
#include "ContentHash.h"

namespace fs = std::filesystem;

namespace qm {

namespace {

constexpr char magic[8] = {'Q', 'M', 'C', 'A', 'C', 'H', 'E', '\0'};
constexpr std::uint64_t cacheVersion = 1;
constexpr std::size_t headerSize = 16;
constexpr const char* entrySuffix = ".qmc";

std::string entryPath(const CacheSettings& settings, const std::string& key)
{
    return settings.folder + "/" + key + entrySuffix;
}

// Least recently used first, until the entries fit the cap; and
// half-written files that a stopped viewer left an hour ago or more.
void evict(const CacheSettings& settings)
{
    struct Entry {
        fs::path path;
        fs::file_time_type used;
        std::uintmax_t size;
    };
    std::vector<Entry> entries;
    std::uintmax_t total = 0;
    std::error_code error;
    const auto now = fs::file_time_type::clock::now();
    for (const fs::directory_entry& item : fs::directory_iterator(settings.folder, error)) {
        const fs::path& path = item.path();
        const auto used = item.last_write_time(error);
        const auto size = item.file_size(error);
        if (error || !item.is_regular_file(error))
            continue;
        if (path.extension() == entrySuffix) {
            entries.push_back({path, used, size});
            total += size;
        } else if (path.string().find(".qmc.") != std::string::npos && now - used > std::chrono::hours(1)) {
            fs::remove(path, error);
        }
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.used < b.used; });
    for (const Entry& entry : entries) {
        if (total <= settings.capacity)
            break;
        if (fs::remove(entry.path, error))
            total -= entry.size;
    }
}

bool sourcesUnchanged(std::span<const std::uint8_t> list)
{
    ByteReader in(list);
    const std::size_t count = in.count(16);
    for (std::size_t i = 0; i < count && in.ok(); ++i) {
        const std::string path = in.text();
        const std::string hash = in.text();
        if (!in.ok() || fileContentHash(path).value_or("") != hash)
            return false;
    }
    return in.ok() && in.atEnd();
}

}  // namespace

std::optional<CacheSettings> cacheSettings()
{
    CacheSettings settings;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        settings.folder = std::string(xdg) + "/quillmoor";
    else if (const char* home = std::getenv("HOME"); home && *home)
        settings.folder = std::string(home) + "/.cache/quillmoor";
    else
        return std::nullopt;
    settings.capacity = std::uint64_t(2048) << 20;
    if (const char* size = std::getenv("QUILLMOOR_CACHE_SIZE"); size && std::atoll(size) >= 0 && *size)
        settings.capacity = std::uint64_t(std::atoll(size)) << 20;
    return settings;
}

std::string recordedPath(const std::string& path)
{
    std::error_code error;
    const fs::path made = fs::absolute(path, error);
    return error ? path : made.lexically_normal().string();
}

SourceFiles hashSourceFiles(const std::vector<std::string>& paths)
{
    SourceFiles files;
    for (const std::string& path : paths)
        if (std::none_of(files.begin(), files.end(), [&](const auto& f) { return f.first == path; }))
            files.emplace_back(path, fileContentHash(path).value_or(""));
    return files;
}

std::optional<std::string> cacheKey(const std::string& modelPath, const std::string& build)
{
    const std::optional<std::string> content = fileContentHash(modelPath);
    if (!content)
        return std::nullopt;
    const std::string whole = *content + "\n" + recordedPath(modelPath) + "\n" + build;
    return contentHash(asBytes(whole));
}

std::unique_ptr<CacheEntry> CacheEntry::open(const CacheSettings& settings, const std::string& key)
{
    std::unique_ptr<CacheEntry> entry(new CacheEntry(entryPath(settings, key)));
    if (!entry->file)
        return nullptr;
    const std::span<const std::uint8_t> bytes = entry->file.bytes();
    std::uint64_t version = 0;
    std::uint64_t sum = 0;
    if (bytes.size() >= headerSize + 8) {
        std::memcpy(&version, bytes.data() + 8, 8);
        std::memcpy(&sum, bytes.data() + bytes.size() - 8, 8);
    }
    if (bytes.size() < headerSize + 8 || std::memcmp(bytes.data(), magic, 8) != 0 || version != cacheVersion ||
        checksum(bytes.first(bytes.size() - 8)) != sum) {
        entry->discard();
        return nullptr;
    }
    std::span<const std::uint8_t> rest = bytes.subspan(headerSize, bytes.size() - headerSize - 8);
    while (!rest.empty()) {
        std::uint64_t size = 0;
        if (rest.size() < 8)
            break;
        std::memcpy(&size, rest.data(), 8);
        if (size > rest.size() - 8)
            break;
        entry->sections.push_back(rest.subspan(8, std::size_t(size)));
        rest = rest.subspan(8 + std::size_t(size));
    }
    if (!rest.empty() || entry->sections.empty()) {
        entry->discard();
        return nullptr;
    }
    if (!sourcesUnchanged(entry->sections.back()))
        return nullptr;  // rebuilt and replaced by the caller
    entry->sections.pop_back();
    ::utimensat(AT_FDCWD, entry->filePath.c_str(), nullptr, 0);
    return entry;
}

void CacheEntry::discard() const
{
    std::error_code error;
    fs::remove(filePath, error);
}

struct CacheWriter::Hashing {
    XXH3_state_t* state = XXH3_createState();
    ~Hashing() { XXH3_freeState(state); }
};

CacheWriter::CacheWriter(const CacheSettings& settings, const std::string& key)
    : settings(settings), finalPath(entryPath(settings, key)), hashing(std::make_unique<Hashing>())
{
    std::error_code error;
    fs::create_directories(settings.folder, error);
    std::random_device random;
    temporaryPath = finalPath + "." + std::to_string(::getpid()) + "-" + std::to_string(random());
    file = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    failed = file < 0 || !hashing->state;
    if (failed)
        return;
    XXH3_64bits_reset(hashing->state);
    std::uint8_t header[headerSize];
    std::memcpy(header, magic, 8);
    std::memcpy(header + 8, &cacheVersion, 8);
    write(header);
}

CacheWriter::~CacheWriter()
{
    if (file >= 0) {
        ::close(file);
        ::unlink(temporaryPath.c_str());
    }
}

void CacheWriter::write(std::span<const std::uint8_t> bytes)
{
    if (failed)
        return;
    XXH3_64bits_update(hashing->state, bytes.data(), bytes.size());
    while (!bytes.empty()) {
        const ssize_t written = ::write(file, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            failed = true;
            return;
        }
        bytes = bytes.subspan(std::size_t(written));
    }
}

void CacheWriter::add(std::span<const std::uint8_t> section)
{
    const std::uint64_t size = section.size();
    write({reinterpret_cast<const std::uint8_t*>(&size), 8});
    write(section);
}

void CacheWriter::add(const std::string& section)
{
    add(asBytes(section));
}

bool CacheWriter::commit(const SourceFiles& sources)
{
    ByteWriter list;
    list.value(std::uint64_t(sources.size()));
    for (const auto& [path, hash] : sources) {
        list.text(path);
        list.text(hash);
    }
    add(list.bytes);
    const std::uint64_t sum = XXH3_64bits_digest(hashing->state);
    write({reinterpret_cast<const std::uint8_t*>(&sum), 8});
    const bool written = !failed && ::close(file) == 0;
    file = -1;
    if (!written || ::rename(temporaryPath.c_str(), finalPath.c_str()) != 0) {
        ::unlink(temporaryPath.c_str());
        return false;
    }
    evict(settings);
    return true;
}

}  // namespace qm
