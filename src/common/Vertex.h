#pragma once

#include "Math.h"

namespace qm {

// The 32-byte vertex record, which is also the vertex buffer's byte layout.
struct Vertex {
    glm::vec3 position{0.0f};
    glm::vec3 normal{0.0f};
    glm::vec2 texCoords{0.0f};
};
static_assert(sizeof(Vertex) == 32, "the vertex buffer layout is 32 bytes per vertex");

}  // namespace qm
