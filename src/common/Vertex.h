#pragma once

#include "Math.h"

namespace qm {

#include <cstdint>

// The 36-byte vertex record, which is also the vertex buffer's byte layout.
struct Vertex {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f};
    glm::vec2 texCoords{0.0f};
    // The file's first vertex colour, 8 bits per channel, red in the lowest
    // byte; white where it gives none, so that it multiplies to no change.
    std::uint32_t colour = 0xFFFFFFFFu;
};
static_assert(sizeof(Vertex) == 36, "the vertex buffer layout is 36 bytes per vertex");

}  // namespace qm
