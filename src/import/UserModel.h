#pragma once

#include <optional>
#include <string>

namespace qm {

// Which simplifier builds levels 1 and 2 of an opened model's meshes.
enum class LodMethod { KeepBorders, Builtin };

// How a user's own model file is opened, as against the shipped scene: any
// material gets a program, every mesh of a node is drawn, the file's lights
// keep their own colour, and only what the file's own clips move moves.
struct UserModel {
    std::string path;
    // The material-to-program table; none when empty.
    std::string table;
    // The environment file (see loadEnvironment); the neutral one when empty.
    std::string environment;
    std::optional<char> upAxis;
    std::optional<float> scale;
    LodMethod lod = LodMethod::KeepBorders;
    // For a single small picture (a thumbnail), which shows no simplified levels.
    bool thumbnail = false;
    // The view's width over its height, for the framed start view.
    float aspectRatio = 16.0f / 9.0f;
};

}  // namespace qm
