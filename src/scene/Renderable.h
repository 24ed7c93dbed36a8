#pragma once

#include <GL/glew.h>

namespace qm {

// Something drawn from a vertex array with static vertex and index buffers
// and one per-instance buffer the renderer refills every frame.
class Renderable {
public:
    Renderable() = default;
    // Owns its GL objects and deletes those it made. Copies are taken before
    // setup (a light's parameters, say) and own none.
    Renderable(const Renderable&) {}
    Renderable& operator=(const Renderable&) = delete;
    virtual ~Renderable();
    // Builds the GL objects; needs the current context.
    virtual void setup() = 0;

    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    GLuint instanceBuffer = 0;
    GLuint indexCount = 0;
};

}  // namespace qm
