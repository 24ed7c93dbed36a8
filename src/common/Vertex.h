#pragma once

#include "Math.h"

namespace qm {

#include <cstdint>

// The 44-byte vertex record, which is also the vertex buffer's byte layout.
struct Vertex {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f};
    glm::vec2 texCoords{0.0f};
    // The file's first vertex colour, 8 bits per channel, red in the lowest
    // byte; white where it gives none, so that it multiplies to no change.
    std::uint32_t colour = 0xFFFFFFFFu;
    // The file's second set of texture coordinates, for the pictures that
    // name it; the first set again where the file has no second.
    glm::vec2 texCoords1{0.0f};
};
static_assert(sizeof(Vertex) == 44, "the vertex buffer layout is 44 bytes per vertex");

}  // namespace qm
