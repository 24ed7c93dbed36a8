#pragma once

#include <optional>
#include <string>
#include <vector>

#include "BoundingBox.h"
#include "Math.h"
#include "ModelFraming.h"
#include "SceneData.h"

namespace qm {

// How a model file's coordinates become the viewer's: metres, +Y up, +Z
// towards the viewer. FBX files record their unit and axes in their global
// settings; other formats either convert on reading (Collada), are defined
// that way (glTF) or record nothing, and are then taken as they stand.
struct ModelOrientation {
    glm::mat4 transform{1.0f};
    // One line for the console, saying what was found and what is applied.
    std::string description;
};

// The file's own settings, each overridden when given: `upAxis` 'y' or 'z'
// (a Z-up model is turned so that +Z points up the screen), `scale` in
// metres per file unit.
ModelOrientation modelOrientation(const SceneData& scene, std::optional<char> upAxis, std::optional<float> scale);

// The world box of every mesh the node tree places, with `root` applied
// above the tree; an empty box at the origin when nothing is placed.
BoundingBox modelBounds(const SceneData& scene, const glm::mat4& root);

// The file's cameras placed in the world as their nodes and `root` put
// them, in the file's order; a camera whose node is missing stands where
// its own values say, below `root`, and one with no direction or a place
// that is not a number is left out.
std::vector<FileView> fileViews(const SceneData& scene, const glm::mat4& root);

}  // namespace qm
