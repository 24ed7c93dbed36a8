#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "SceneCache.h"

namespace {

namespace fs = std::filesystem;

class SceneCache : public testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() /
                 ("qm-cache-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        settings = {(folder / "cache").string(), std::uint64_t(1) << 30};
        source = (folder / "texture.png").string();
        std::ofstream(source) << "first";
    }
    void TearDown() override { fs::remove_all(folder); }

    // An entry of two sections that names the source file.
    bool write(const std::string& key)
    {
        qm::CacheWriter writer(settings, key);
        writer.add("scene");
        writer.add("levels");
        return writer.commit(qm::hashSourceFiles({source, (folder / "absent.png").string()}));
    }

    static std::string text(std::span<const std::uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

    fs::path entryFile(const std::string& key) const { return fs::path(settings.folder) / (key + ".qmc"); }

    fs::path folder;
    qm::CacheSettings settings;
    std::string source;
};

TEST_F(SceneCache, AnEntryReadsBackWhileItsSourcesAreUnchanged)
{
    ASSERT_TRUE(write("k"));
    auto entry = qm::CacheEntry::open(settings, "k");
    ASSERT_TRUE(entry);
    ASSERT_EQ(entry->sectionCount(), 2u);
    EXPECT_EQ(text(entry->section(0)), "scene");
    EXPECT_EQ(text(entry->section(1)), "levels");
    EXPECT_FALSE(qm::CacheEntry::open(settings, "other"));

    std::ofstream(source) << "second";
    EXPECT_FALSE(qm::CacheEntry::open(settings, "k")) << "a changed source misses";
    std::ofstream(source) << "first";
    EXPECT_TRUE(qm::CacheEntry::open(settings, "k")) << "the entry stays for the source as it was";
    std::ofstream(folder / "absent.png") << "now here";
    EXPECT_FALSE(qm::CacheEntry::open(settings, "k")) << "a source that appeared misses";
}

// Any byte changed, and any cut, is found; the entry is removed, never used.
TEST_F(SceneCache, EveryDamagedByteAndEveryCutIsFoundAndRemoved)
{
    ASSERT_TRUE(write("k"));
    std::ifstream in(entryFile("k"), std::ios::binary);
    const std::string whole{std::istreambuf_iterator<char>(in), {}};
    const auto put = [&](const std::string& bytes) {
        std::ofstream(entryFile("k"), std::ios::binary | std::ios::trunc) << bytes;
    };
    for (std::size_t at = 0; at < whole.size(); ++at) {
        std::string damaged = whole;
        damaged[at] = char(damaged[at] ^ 0x21);
        put(damaged);
        EXPECT_FALSE(qm::CacheEntry::open(settings, "k")) << at;
        EXPECT_FALSE(fs::exists(entryFile("k"))) << at;
    }
    for (std::size_t size = 0; size < whole.size(); ++size) {
        put(whole.substr(0, size));
        EXPECT_FALSE(qm::CacheEntry::open(settings, "k")) << size;
    }
    put(whole);
    EXPECT_TRUE(qm::CacheEntry::open(settings, "k"));
}

TEST_F(SceneCache, TheLeastRecentlyUsedGoBeyondTheCap)
{
    for (const char* key : {"a", "b", "c"}) {
        ASSERT_TRUE(write(key));
        fs::last_write_time(entryFile(key), fs::file_time_type::clock::now() - std::chrono::minutes(10));
    }
    ASSERT_TRUE(qm::CacheEntry::open(settings, "a")) << "marks a as used now";
    // Room for two and a half entries of this size: the two least recently used go.
    settings.capacity = fs::file_size(entryFile("a")) * 5 / 2;
    ASSERT_TRUE(write("d"));
    for (const auto& [key, kept] : {std::pair{"a", true}, {"b", false}, {"c", false}, {"d", true}})
        EXPECT_EQ(fs::exists(entryFile(key)), kept) << key;
}

TEST_F(SceneCache, KeysFollowTheContentThePlaceAndTheBuild)
{
    const auto key = qm::cacheKey(source, "build 1");
    ASSERT_TRUE(key);
    EXPECT_EQ(qm::cacheKey(source, "build 1"), key);
    EXPECT_NE(qm::cacheKey(source, "build 2"), key);
    // The same file named from its folder; a copy elsewhere, whose pictures
    // are other files.
    const fs::path working = fs::current_path();
    fs::current_path(fs::path(source).parent_path());
    EXPECT_EQ(qm::cacheKey("./" + fs::path(source).filename().string(), "build 1"), key);
    fs::current_path(working);
    fs::copy_file(source, folder / "copy");
    EXPECT_NE(qm::cacheKey((folder / "copy").string(), "build 1"), key);
    std::ofstream(source) << "second";
    EXPECT_NE(qm::cacheKey(source, "build 1"), key);
    EXPECT_FALSE(qm::cacheKey((folder / "absent.png").string(), "build 1"));

    // Without XDG_CACHE_HOME (which the end-to-end runs set), in the home folder.
    unsetenv("XDG_CACHE_HOME");
    setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(qm::cacheSettings()->folder, "/home/someone/.cache/quillmoor");
}

}  // namespace
