#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

namespace qm {

// The pictures a model's materials use, as the import found them.
struct TextureTally {
    // Each once, as the reports name them.
    std::set<std::string> files;
    // The longest side of any, in texels.
    int largest = 0;
    // Those that could not be read, in the order met.
    std::vector<std::string> missing;
};

// What the information panel tells of an opened model file, as it was read
// and as it was built.
struct ModelSummary {
    std::string file;
    bool fromCache = false;
    std::size_t meshes = 0;
    std::size_t triangles = 0;
    std::size_t lines = 0;
    std::size_t points = 0;
    std::size_t materials = 0;
    std::size_t physicallyBased = 0;
    std::size_t embeddedPictures = 0;
    TextureTally textures;
    std::size_t lights = 0;
    std::size_t clips = 0;
    // The meshes given levels of detail.
    std::size_t levelChains = 0;
    // "Units and axes: ...", as the console says it.
    std::string units;
};

}  // namespace qm
