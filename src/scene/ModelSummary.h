#pragma once

#include <cstddef>
#include <string>

namespace qm {

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
    std::size_t lights = 0;
    std::size_t clips = 0;
    // The meshes given levels of detail.
    std::size_t levelChains = 0;
    // "Units and axes: ...", as the console says it.
    std::string units;
};

}  // namespace qm
