#pragma once

#include <optional>
#include <string>

namespace qm {

// A model file among the model files of its folder (those with the
// extensions the viewer opens, in name order): its place, counted from 1.
struct FolderPlace {
    std::string file;
    std::size_t number = 0;
    std::size_t count = 0;
};

// Where `file` stands in its folder; nothing when it is not there (gone,
// or not of a kind the viewer opens).
std::optional<FolderPlace> placeInFolder(const std::string& file);

// The model file `steps` places after `file` in its folder (before it when
// negative), round the end; the file itself when it is the only one.
// Nothing when the folder cannot be read or holds no model file.
std::optional<FolderPlace> stepInFolder(const std::string& file, int steps);

// "duck.fbx (3/12)", as the window's title shows a place.
std::string describePlace(const FolderPlace& place);

}  // namespace qm
