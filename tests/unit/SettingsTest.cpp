#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "Settings.h"

namespace {

// What a settings file gives a run: its lines as arguments, the sections
// of other extensions and the model's options for the moor left out, and
// each wrong line reported with its number and otherwise ignored.
TEST(Settings, LinesBecomeArgumentsAndWrongOnesAreNamed)
{
    const std::string file = "# defaults\n"
                             "resolution = 1280x720   # the window\n"
                             "fullscreen = yes\n"
                             "cache = no\n"
                             "watch = yes\n"
                             "up = z\n"
                             "environment = skies/dusk.hdr\n"
                             "\n"
                             "[.FBX]\n"
                             "scale = 0.01\n"
                             "grid = yes\n"
                             "[*.gltf]\n"
                             "exposure = 2\n"
                             "[]\n"
                             "frobnicate = 1\n"
                             "frames = none\n"
                             "screenshot = a.png\n"
                             "just words\n"
                             "fullscreen = maybe\n"
                             "thumbnail = 64 a.obj a.png\n";
    const struct {
        const char* model;
        std::vector<std::string> arguments;
    } cases[] = {
        {"", {"--resolution", "1280x720", "--fullscreen", "--no-cache"}},
        {"walk.fbx",
         {"--resolution", "1280x720", "--fullscreen", "--no-cache", "--watch", "--up", "z", "--environment",
          "/home/u/.config/quillmoor/skies/dusk.hdr", "--scale", "0.01", "--grid"}},
        {"cube.gltf",
         {"--resolution", "1280x720", "--fullscreen", "--no-cache", "--watch", "--up", "z", "--environment",
          "/home/u/.config/quillmoor/skies/dusk.hdr", "--exposure", "2"}},
    };
    for (const auto& c : cases) {
        std::istringstream in(file);
        std::ostringstream errors;
        EXPECT_EQ(qm::readSettings(in, "/home/u/.config/quillmoor/config", c.model, errors), c.arguments)
            << c.model;
        EXPECT_EQ(errors.str(),
                  "/home/u/.config/quillmoor/config:14: a section is written [.ext]; the line is ignored.\n"
                  "/home/u/.config/quillmoor/config:15: unknown option --frobnicate; the line is ignored.\n"
                  "/home/u/.config/quillmoor/config:16: the option --frames does not take the value \"none\"; the "
                  "line is ignored.\n"
                  "/home/u/.config/quillmoor/config:17: screenshot is not a setting: give it on the command line; "
                  "the line is ignored.\n"
                  "/home/u/.config/quillmoor/config:18: expected name = value; the line is ignored.\n"
                  "/home/u/.config/quillmoor/config:19: fullscreen takes yes or no; the line is ignored.\n"
                  "/home/u/.config/quillmoor/config:20: thumbnail is not a setting: give it on the command line; "
                  "the line is ignored.\n")
            << c.model;
    }
}

// The file's place: XDG_CONFIG_HOME when it is an absolute path, else the
// home folder's .config.
TEST(Settings, TheFileIsFoundWhereTheBaseDirectoriesSay)
{
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string config = saved ? saved : "";
    setenv("HOME", "/home/u", 1);
    setenv("XDG_CONFIG_HOME", "/etc/xdg-u", 1);
    EXPECT_EQ(qm::settingsPath(), "/etc/xdg-u/quillmoor/config");
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(qm::settingsPath(), "/home/u/.config/quillmoor/config");
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(qm::settingsPath(), "/home/u/.config/quillmoor/config");
    unsetenv("HOME");
    EXPECT_EQ(qm::settingsPath(), "");
    setenv("HOME", home.c_str(), 1);
    if (saved)
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
}

}  // namespace
