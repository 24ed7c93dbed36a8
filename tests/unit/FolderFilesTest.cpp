#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FolderFiles.h"

namespace {

namespace fs = std::filesystem;

// The model files of a folder in name order, round the ends; other files and
// folders are passed over, and a file that is gone steps from its gap.
TEST(FolderFiles, StepsThroughTheModelFilesOfTheFolder)
{
    const fs::path folder = fs::temp_directory_path() / "qm-folder-files";
    fs::remove_all(folder);
    fs::create_directories(folder / "e.gltf");
    for (const char* name : {"a.obj", "b.glb", "c.txt", "d.FBX"})
        std::ofstream(folder / name) << name;
    const auto in = [&](const char* name) { return (folder / name).string(); };

    const struct {
        const char* from;
        int steps;
        const char* to;
        std::size_t number;
    } cases[] = {{"b.glb", 0, "b.glb", 2}, {"b.glb", 1, "d.FBX", 3}, {"d.FBX", 1, "a.obj", 1},
                 {"a.obj", -1, "d.FBX", 3}, {"a.obj", 5, "d.FBX", 3}, {"c.obj", 1, "d.FBX", 3},
                 {"c.obj", -1, "b.glb", 2}, {"z.stl", 1, "a.obj", 1}};
    for (const auto& c : cases) {
        const auto place = qm::stepInFolder(in(c.from), c.steps);
        ASSERT_TRUE(place) << c.from << " " << c.steps;
        EXPECT_EQ(place->file, in(c.to)) << c.from << " " << c.steps;
        EXPECT_EQ(place->number, c.number) << c.from << " " << c.steps;
        EXPECT_EQ(place->count, 3u);
    }
    EXPECT_FALSE(qm::placeInFolder(in("c.txt"))) << "not a model file";
    EXPECT_FALSE(qm::stepInFolder(in("e.gltf/x.obj"), 1)) << "a folder without model files";
    EXPECT_EQ(qm::describePlace(*qm::placeInFolder(in("b.glb"))), "b.glb (2/3)");
    fs::remove_all(folder);
}

}  // namespace
