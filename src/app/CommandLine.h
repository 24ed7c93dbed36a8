#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "UserModel.h"

namespace qm {

// What the command line asks for. Without a model the viewer shows its own
// scene exactly as always; the picture options apply to both.
struct ViewerOptions {
    std::string model;
    std::string table;
    std::string environment;
    std::optional<char> upAxis;  // 'y' or 'z'
    std::optional<float> scale;  // metres per model unit
    LodMethod lod = LodMethod::KeepBorders;
    std::string screenshot;
    // --thumbnail: a SIZE x SIZE picture of the model, written here.
    std::string thumbnail;
    int thumbnailSize = 0;
    int frames = 10;
    int width = 1600;
    int height = 900;
    bool fullscreen = false;
    bool cache = true;
    // Reload the model when one of its files changes.
    bool watch = false;
    // The model's ground grid and the world's axes shown from the start.
    bool grid = false;
    bool axes = false;
    // glTF files read by assimp too, not by the viewer's own reader.
    bool assimpOnly = false;
    // A drag turns the model freely instead of about its up axis.
    bool trackball = false;
    // A screenshot or thumbnail drawn with the information panel and the timeline.
    bool overlay = false;
    // Whether the settings file (Settings.h) gives the defaults.
    bool settings = true;
    std::optional<std::array<float, 5>> camera;  // x, y, z, yaw, pitch
    std::optional<float> exposure;
    std::optional<float> focus;
    // The model's clip: "none", a number from 1 or a name; the first when unset.
    std::optional<std::string> animation;
    // Seconds into the clip; with --screenshot the pose stays there.
    std::optional<float> time;
};

struct CommandLine {
    enum Action { Run, Help, Version, Error };
    Action action = Run;
    ViewerOptions options;
    // For Error: what was wrong, as one line.
    std::string error;
};

// Reads the arguments after the program name. Options take their value as
// the next argument or after "=".
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// The usage text, ending with a newline.
std::string usage();

// "quillmoor <version>".
std::string versionLine();

}  // namespace qm
