#include "GpuMesh.h"

#include <cstddef>
#include <vector>

#include <iostream>

#include "DrawList.h"
#include "Mesh.h"
#include "MeshDeformation.h"
#include "Shader.h"
#include "VertexAttributes.h"

namespace qm {

namespace {

// The vertex array, bound, with the index buffer uploaded and the instance buffer made.
GpuMesh startUpload(const std::vector<std::uint32_t>& indices)
{
    GpuMesh gpu;
    gpu.vertexArray = makeVertexArray();
    gpu.indexBuffer = makeBuffer();
    gpu.instanceBuffer = makeBuffer();
    gpu.indexCount = static_cast<GLuint>(indices.size());
    glBindVertexArray(gpu.vertexArray);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gpu.indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)),
                 indices.data(), GL_STATIC_DRAW);
    return gpu;
}

// The static vertex buffer, made and bound.
void startVertices(GpuMesh& gpu)
{
    gpu.vertexBuffer = makeBuffer();
    glBindBuffer(GL_ARRAY_BUFFER, gpu.vertexBuffer);
}

void feedSkin(GLuint skinBuffer)
{
    glBindBuffer(GL_ARRAY_BUFFER, skinBuffer);
    feedIntegerAttribute(attribute::bones, 4, sizeof(SkinVertex), offsetof(SkinVertex, bones), GL_UNSIGNED_SHORT);
    feedAttribute(attribute::boneWeights, 4, sizeof(SkinVertex), offsetof(SkinVertex, weights), 0,
                  GL_UNSIGNED_SHORT);
}

// A buffer and a buffer texture that reads it as RGBA floats.
void makeBufferTexture(GLBuffer& buffer, GLTexture& texture)
{
    buffer = makeBuffer();
    texture = makeTexture();
    glBindBuffer(GL_TEXTURE_BUFFER, buffer);
    glBindTexture(GL_TEXTURE_BUFFER, texture);
    glTexBuffer(GL_TEXTURE_BUFFER, GL_RGBA32F, buffer);
    glBindTexture(GL_TEXTURE_BUFFER, 0);
    glBindBuffer(GL_TEXTURE_BUFFER, 0);
}

// The skin's attributes and the morph targets of a deforming mesh; its
// vertex array is bound.
void uploadDeformation(GpuMesh& gpu, const MeshDeformation& deformation)
{
    gpu.deforming = true;
    gpu.vertexCount = deformation.vertexCount;
    makeBufferTexture(gpu.blockBuffer, gpu.blockTexture);
    if (deformation.skinned()) {
        gpu.boneCount = deformation.boneCount;
        gpu.skinBuffer = makeBuffer();
        glBindBuffer(GL_ARRAY_BUFFER, gpu.skinBuffer);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(deformation.skin.size() * sizeof(SkinVertex)),
                     deformation.skin.data(), GL_STATIC_DRAW);
        feedSkin(gpu.skinBuffer);
    }
    if (deformation.morphTargets == 0)
        return;
    if (deformation.morphDeltas.size() > std::size_t(maxBufferTexels())) {
        std::cerr << "Drawing a mesh without its " << deformation.morphTargets
                  << " morph targets: they are more than this GPU's buffer textures hold." << std::endl;
        return;
    }
    gpu.morphTargets = deformation.morphTargets;
    makeBufferTexture(gpu.morphBuffer, gpu.morphTexture);
    // Four floats a texel: three-float buffer textures need more than GL 3.2.
    std::vector<glm::vec4> texels;
    texels.reserve(deformation.morphDeltas.size());
    for (const glm::vec3& delta : deformation.morphDeltas)
        texels.emplace_back(delta, 0.0f);
    glBindBuffer(GL_TEXTURE_BUFFER, gpu.morphBuffer);
    glBufferData(GL_TEXTURE_BUFFER, GLsizeiptr(texels.size() * sizeof(glm::vec4)), texels.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_TEXTURE_BUFFER, 0);
}

// A level's deformation: its own blocks, its original's skin and targets.
void shareDeformation(GpuMesh& gpu, const GpuMesh& original)
{
    gpu.deforming = original.deforming;
    gpu.vertexCount = original.vertexCount;
    gpu.boneCount = original.boneCount;
    gpu.morphTargets = original.morphTargets;
    if (gpu.deforming)
        makeBufferTexture(gpu.blockBuffer, gpu.blockTexture);
    if (gpu.boneCount > 0)
        feedSkin(original.skinBuffer);
}

void finishUpload()
{
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

}  // namespace

GpuMesh uploadMesh(const Mesh& mesh, std::shared_ptr<const GpuMesh> vertexSource)
{
    GpuMesh gpu = startUpload(mesh.getIndices());
    gpu.mode = mesh.primitive() == Primitive::Points  ? GL_POINTS
               : mesh.primitive() == Primitive::Lines ? GL_LINES
                                                      : GL_TRIANGLES;
    gpu.instanceNormalBuffer = makeBuffer();
    if (vertexSource) {
        glBindBuffer(GL_ARRAY_BUFFER, vertexSource->vertexBuffer);
    } else {
        startVertices(gpu);
        const std::vector<Vertex>& vertices = mesh.getVertices();
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                     GL_STATIC_DRAW);
    }
    feedAttribute(attribute::position, 3, sizeof(Vertex), offsetof(Vertex, position));
    feedAttribute(attribute::normal, 3, sizeof(Vertex), offsetof(Vertex, normal));
    feedAttribute(attribute::texCoord, 2, sizeof(Vertex), offsetof(Vertex, texCoords));
    feedAttribute(attribute::colour, 4, sizeof(Vertex), offsetof(Vertex, colour), 0, GL_UNSIGNED_BYTE);
    feedAttribute(attribute::texCoord1, 2, sizeof(Vertex), offsetof(Vertex, texCoords1));

    glBindBuffer(GL_ARRAY_BUFFER, gpu.instanceBuffer);
    feedInstanceMatrix(attribute::modelView, 4, 4);
    glBindBuffer(GL_ARRAY_BUFFER, gpu.instanceNormalBuffer);
    feedInstanceMatrix(attribute::normalMatrix, 3, 3);
    if (vertexSource)
        shareDeformation(gpu, *vertexSource);
    else if (mesh.deformation)
        uploadDeformation(gpu, *mesh.deformation);
    gpu.vertexSource = std::move(vertexSource);
    finishUpload();
    return gpu;
}

void bindDeformation(Shader& shader, const GpuMesh& gpu, std::span<const glm::mat4> blocks)
{
    const bool given = !blocks.empty();
    glUniform1i(shader.uniform(Uniform::skinned), given && gpu.boneCount > 0 ? 1 : 0);
    glUniform1i(shader.uniform(Uniform::morphing), given && gpu.morphTargets > 0 ? 1 : 0);
    if (!given)
        return;
    glUniform1i(shader.uniform(Uniform::blockSize), GLint(deformationBlockSize(gpu.boneCount)));
    glBindBuffer(GL_TEXTURE_BUFFER, gpu.blockBuffer);
    glBufferData(GL_TEXTURE_BUFFER, GLsizeiptr(blocks.size_bytes()), blocks.data(), GL_STREAM_DRAW);
    glBindBuffer(GL_TEXTURE_BUFFER, 0);
    glActiveTexture(GL_TEXTURE0 + GLenum(textureUnit::deformationBlocks));
    glBindTexture(GL_TEXTURE_BUFFER, gpu.blockTexture);
    if (gpu.morphTargets > 0) {
        glUniform1i(shader.uniform(Uniform::morphVertexCount), GLint(gpu.vertexCount));
        glActiveTexture(GL_TEXTURE0 + GLenum(textureUnit::morphDeltas));
        glBindTexture(GL_TEXTURE_BUFFER, (gpu.vertexSource ? *gpu.vertexSource : gpu).morphTexture);
    }
    glActiveTexture(GL_TEXTURE0);
}

GLint maxBufferTexels()
{
    static const GLint texels = [] {
        GLint value = 65536;  // the least GL 3.2 allows
        glGetIntegerv(GL_MAX_TEXTURE_BUFFER_SIZE, &value);
        return value;
    }();
    return texels;
}

GpuMesh uploadLightVolume(const Mesh& volume)
{
    std::vector<glm::vec3> positions;
    positions.reserve(volume.getVertices().size());
    for (const Vertex& v : volume.getVertices())
        positions.push_back(v.position);

    GpuMesh gpu = startUpload(volume.getIndices());
    startVertices(gpu);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(positions.size() * sizeof(glm::vec3)), positions.data(),
                 GL_STATIC_DRAW);
    feedAttribute(attribute::position, 3, sizeof(glm::vec3), 0);
    glBindBuffer(GL_ARRAY_BUFFER, gpu.instanceBuffer);
    feedAttribute(attribute::worldPosition, 3, sizeof(LightPlacement), offsetof(LightPlacement, position), 1);
    feedAttribute(attribute::worldDirection, 3, sizeof(LightPlacement), offsetof(LightPlacement, direction), 1);
    finishUpload();
    return gpu;
}

}  // namespace qm
