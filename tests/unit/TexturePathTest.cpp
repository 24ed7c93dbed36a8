#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TexturePath.h"

namespace {

namespace fs = std::filesystem;

// Paths as files made on other machines name them, found in a model's folder.
TEST(TexturePath, FoundByPathBaseNameOrLetterCaseInTheFolderOrASubfolder)
{
    const fs::path folder = fs::path(testing::TempDir()) / "texture-path";
    fs::remove_all(folder);
    fs::create_directories(folder / "textures");
    for (const char* file : {"wood.png", "textures/Bark.JPG", "Stone.tga"})
        std::ofstream(folder / file) << "picture";

    const struct {
        const char* named;
        const char* found;  // relative to the folder; empty for none
    } cases[] = {
        {"wood.png", "wood.png"},
        {"textures\\Bark.JPG", "textures/Bark.JPG"},
        {"D:\\work\\maps\\wood.png", "wood.png"},
        {"Textures\\bark.jpg", "textures/Bark.JPG"},
        {"STONE.TGA", "Stone.tga"},
        {"/elsewhere/stone.tga", "Stone.tga"},
        {"missing.png", ""},
        {"textures", ""},  // a folder is not a picture
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        const auto found = qm::findTextureFile(folder.string(), c.named);
        EXPECT_EQ(bool(found), *c.found != '\0');
        if (found && *c.found) {
            EXPECT_TRUE(fs::equivalent(*found, folder / c.found));
        }
    }
}

}  // namespace
