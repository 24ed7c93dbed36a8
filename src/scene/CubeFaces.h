#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ImageFile.h"

namespace qm {

// The six faces of a cube map (+x, -x, +y, -y, +z, -z), square and of one
// size, as 8-bit RGBA; a face that could not be had reads as a plain
// stand-in of that size.
struct CubeFaces {
    int size = 1;
    std::array<ImageFile, 6> faces;
    std::vector<std::uint8_t> standIn;

    const std::uint8_t* pixels(std::size_t face) const
    {
        return faces[face] ? faces[face].pixels.get() : standIn.data();
    }
};

}  // namespace qm
