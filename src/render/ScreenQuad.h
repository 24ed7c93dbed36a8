#pragma once

#include <GL/glew.h>

#include "GLObject.h"

namespace qm {

// Two counter-clockwise triangles covering the screen, with "v_position"
// (x, y) and "v_texCoords" (u, v) at their fixed locations.
class ScreenQuad {
public:
    void init();
    void draw() const;

    GLVertexArray vertexArray;
    GLBuffer vertexBuffer;
};

}  // namespace qm
