#include "GpuMesh.h"

#include <cstddef>
#include <vector>

#include "Mesh.h"
#include "VertexAttributes.h"

namespace qm {

namespace {

// The vertex array and both static buffers, bound, with the indices uploaded.
GpuMesh startUpload(const std::vector<std::uint32_t>& indices)
{
    GpuMesh gpu;
    gpu.vertexArray = makeVertexArray();
    gpu.vertexBuffer = makeBuffer();
    gpu.indexBuffer = makeBuffer();
    gpu.instanceBuffer = makeBuffer();
    gpu.indexCount = static_cast<GLuint>(indices.size());
    glBindVertexArray(gpu.vertexArray);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gpu.indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)),
                 indices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, gpu.vertexBuffer);
    return gpu;
}

void finishUpload()
{
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

}  // namespace

GpuMesh uploadMesh(const Mesh& mesh)
{
    GpuMesh gpu = startUpload(mesh.getIndices());
    gpu.mode = mesh.primitive() == Primitive::Points  ? GL_POINTS
               : mesh.primitive() == Primitive::Lines ? GL_LINES
                                                      : GL_TRIANGLES;
    gpu.instanceNormalBuffer = makeBuffer();
    const std::vector<Vertex>& vertices = mesh.getVertices();
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STATIC_DRAW);
    feedAttribute(attribute::position, 3, sizeof(Vertex), offsetof(Vertex, position));
    feedAttribute(attribute::normal, 3, sizeof(Vertex), offsetof(Vertex, normal));
    feedAttribute(attribute::texCoord, 2, sizeof(Vertex), offsetof(Vertex, texCoords));
    feedAttribute(attribute::colour, 4, sizeof(Vertex), offsetof(Vertex, colour), 0, GL_UNSIGNED_BYTE);

    glBindBuffer(GL_ARRAY_BUFFER, gpu.instanceBuffer);
    feedInstanceMatrix(attribute::modelView, 4, 4);
    glBindBuffer(GL_ARRAY_BUFFER, gpu.instanceNormalBuffer);
    feedInstanceMatrix(attribute::normalMatrix, 3, 3);
    finishUpload();
    return gpu;
}

GpuMesh uploadLightVolume(const Mesh& volume)
{
    std::vector<glm::vec3> positions;
    positions.reserve(volume.getVertices().size());
    for (const Vertex& v : volume.getVertices())
        positions.push_back(v.position);

    GpuMesh gpu = startUpload(volume.getIndices());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(positions.size() * sizeof(glm::vec3)), positions.data(),
                 GL_STATIC_DRAW);
    feedAttribute(attribute::position, 3, sizeof(glm::vec3), 0);
    glBindBuffer(GL_ARRAY_BUFFER, gpu.instanceBuffer);
    feedAttribute(attribute::worldPosition, 3, sizeof(glm::vec3), 0, 1);
    finishUpload();
    return gpu;
}

}  // namespace qm
