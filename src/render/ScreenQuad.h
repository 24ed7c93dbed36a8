#pragma once

#include <GL/glew.h>

#include "GLObject.h"

namespace qm {

// Two counter-clockwise triangles covering the screen, with "v_position"
// (x, y) and "v_texCoords" (u, v). Every program drawn with it must place
// those attributes where the program given to init has them.
class ScreenQuad {
public:
    void init(GLuint program);
    void draw() const;

    GLVertexArray vertexArray;
    GLBuffer vertexBuffer;
};

}  // namespace qm
