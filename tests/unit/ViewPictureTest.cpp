#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "ViewPicture.h"

namespace {

namespace fs = std::filesystem;

// The folder: the variable, else the one user-dirs.dirs names (when it
// exists), else home; the name: the model's and the local time's.
TEST(ViewPicture, GoesToThePicturesFolderNamedAfterTheModelAndTime)
{
    const fs::path home = fs::temp_directory_path() / "qm-view-picture";
    fs::remove_all(home);
    fs::create_directories(home / ".config");
    std::ofstream(home / ".config" / "user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                         "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    const std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_PICTURES_DIR");
    setenv("TZ", "UTC", 1);
    tzset();
    const std::time_t when = 1796916605;  // 2026-12-10 15:30:05 UTC
    EXPECT_EQ(qm::viewPicturePath("/models/duck.fbx", when), (home / "duck-2026-12-10-15.30.05.png").string())
        << "a folder that does not exist is passed over";
    fs::create_directories(home / "Bilder");
    EXPECT_EQ(qm::viewPicturePath("duck.fbx", when), (home / "Bilder" / "duck-2026-12-10-15.30.05.png").string());
    setenv("XDG_PICTURES_DIR", "/tmp", 1);
    EXPECT_EQ(qm::viewPicturePath("duck.fbx", when), "/tmp/duck-2026-12-10-15.30.05.png");
    unsetenv("XDG_PICTURES_DIR");
    unsetenv("TZ");
    tzset();
    setenv("HOME", savedHome.c_str(), 1);
    fs::remove_all(home);
}

}  // namespace
