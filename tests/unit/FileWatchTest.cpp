#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FileWatch.h"

namespace {

namespace fs = std::filesystem;

void write(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// A change is reported once it has held still between two looks, once
// only; edits of any watched file count, by content, by replacement (an
// editor renaming a new file into place) or by removal and return; files
// not watched do not. A file saved while it was being read (after the
// watch's `since`) counts as a change from the start.
TEST(FileWatch, ReportsASettledChangeOnce)
{
    const fs::path folder = fs::temp_directory_path() / ("qm-filewatch-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path model = folder / "box.obj", material = folder / "box.mtl", other = folder / "notes.txt";
    write(model, "v 0 0 0\n");
    const std::int64_t beforeTheSave = qm::FileWatch::now();
    write(material, "newmtl a\n");
    qm::FileWatch saved({model.string(), material.string()}, beforeTheSave);
    EXPECT_TRUE(saved.changed()) << "saved while it was read";
    EXPECT_FALSE(saved.changed());

    // Begun as if the files had been read a second from now: nothing changed since.
    qm::FileWatch watch({model.string(), material.string(), model.string()}, qm::FileWatch::now() + 1'000'000'000);

    EXPECT_FALSE(watch.changed()) << "nothing changed";
    write(other, "unwatched");
    EXPECT_FALSE(watch.changed()) << "an unwatched file";

    write(material, "newmtl a\nKd 1 0 0\n");
    EXPECT_FALSE(watch.changed()) << "seen once: it may still be being written";
    write(material, "newmtl a\nKd 1 0 0\nKs 1 1 1\n");
    EXPECT_FALSE(watch.changed()) << "still changing";
    EXPECT_TRUE(watch.changed()) << "held still";
    EXPECT_FALSE(watch.changed()) << "reported once";

    // Saved by renaming a new file over the old one, of the same size.
    const fs::path aside = folder / "box.obj.new";
    write(aside, "v 1 0 0\n");
    fs::rename(aside, model);
    EXPECT_FALSE(watch.changed());
    EXPECT_TRUE(watch.changed());

    fs::remove(model);
    EXPECT_FALSE(watch.changed());
    EXPECT_TRUE(watch.changed()) << "a removed file is a change";
    write(model, "v 2 0 0\n");
    EXPECT_FALSE(watch.changed());
    EXPECT_TRUE(watch.changed()) << "and so is its return";

    fs::remove_all(folder);
}

}  // namespace
