#pragma once

#include <GL/glew.h>

#include "GLObject.h"

namespace qm {

// Something drawn from a vertex array with static vertex and index buffers
// and one per-instance buffer the renderer refills every frame. It owns
// them: moved, never copied.
class Renderable {
public:
    Renderable() = default;
    Renderable(Renderable&&) = default;
    Renderable& operator=(Renderable&&) = default;
    virtual ~Renderable() = default;
    // Builds the GL objects; needs the current context.
    virtual void setup() = 0;

    GLVertexArray vertexArray;
    GLBuffer vertexBuffer;
    GLBuffer indexBuffer;
    GLBuffer instanceBuffer;
    GLuint indexCount = 0;
};

}  // namespace qm
