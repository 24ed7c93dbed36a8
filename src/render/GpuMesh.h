#pragma once

#include <GL/glew.h>

#include "GLObject.h"

namespace qm {

class Mesh;

// A mesh or light volume on the GPU: a vertex array with static vertex and
// index buffers, and the per-instance buffers the renderer refills every
// frame. It owns them: moved, never copied.
struct GpuMesh {
    GLVertexArray vertexArray;
    GLBuffer vertexBuffer;
    GLBuffer indexBuffer;
    GLBuffer instanceBuffer;
    // Meshes only: the normal matrices beside the model-view matrices.
    GLBuffer instanceNormalBuffer;
    GLuint indexCount = 0;
    // How the indices are read: triangles, lines or points.
    GLenum mode = GL_TRIANGLES;
};

// Uploads a mesh's vertices and indices and wires the per-vertex and
// per-instance attributes at their fixed locations.
GpuMesh uploadMesh(const Mesh& mesh);

// Uploads a light volume's positions and indices; the instance positions
// (one per placement of the light) come per frame.
GpuMesh uploadLightVolume(const Mesh& volume);

}  // namespace qm
