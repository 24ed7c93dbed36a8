#pragma once

#include <GL/glew.h>

#include <span>

#include "DrawList.h"
#include "GLObject.h"

namespace qm {

class Mesh;
struct Shader;

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
    // Deforming meshes only (see MeshDeformation.h): each vertex's bones and
    // weights; the deformation blocks of this frame's copies (DrawList.h),
    // refilled per draw; the morph targets' changes. The last two are read
    // as buffer textures.
    bool deforming = false;
    GLuint boneCount = 0;
    GLuint morphTargets = 0;
    GLuint vertexCount = 0;
    GLBuffer skinBuffer;
    GLBuffer blockBuffer;
    GLTexture blockTexture;
    GLBuffer morphBuffer;
    GLTexture morphTexture;
    // A level that reads its original's vertex, skin and morph buffers
    // keeps the original alive; none otherwise.
    std::shared_ptr<const GpuMesh> vertexSource;
};

// Uploads a mesh's vertices and indices (and what deforms it) and wires the
// per-vertex and per-instance attributes at their fixed locations. With
// `vertexSource` (a level of a deforming mesh, which keeps its original's
// vertices), only the indices are uploaded and the vertices, skin and
// morph targets are read from the source's buffers.
GpuMesh uploadMesh(const Mesh& mesh, std::shared_ptr<const GpuMesh> vertexSource = nullptr);

// Sets up the vertex stage of a deforming mesh's program (with DEFORMING
// defined, see Shader.h) for a draw of `gpu`: its copies' deformation
// blocks, one after the other, or none to draw the mesh as stored.
void bindDeformation(Shader& shader, const GpuMesh& gpu, std::span<const glm::mat4> blocks);

// The most texels a buffer texture may hold here, asked of GL once.
GLint maxBufferTexels();

// Uploads a light volume's positions and indices; the instance placements
// (position and direction, one per placement of the light) come per frame.
GpuMesh uploadLightVolume(const Mesh& volume);

}  // namespace qm
