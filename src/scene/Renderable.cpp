#include "Renderable.h"

namespace qm {

Renderable::~Renderable()
{
    // Objects never made are 0; without a context nothing was made.
    if (vertexArray != 0)
        glDeleteVertexArrays(1, &vertexArray);
    const GLuint buffers[] = {vertexBuffer, indexBuffer, instanceBuffer};
    for (const GLuint buffer : buffers) {
        if (buffer != 0)
            glDeleteBuffers(1, &buffer);
    }
}

}  // namespace qm
