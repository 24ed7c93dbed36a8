#include "GpuMesh.h"

#include <cstddef>
#include <vector>

#include "Mesh.h"
#include "Shader.h"
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
    glUseProgram(0);
}

}  // namespace

GpuMesh uploadMesh(const Mesh& mesh)
{
    const GLuint program = mesh.getMaterial()->shader->program;
    glUseProgram(program);
    GpuMesh gpu = startUpload(mesh.getIndices());
    gpu.instanceNormalBuffer = makeBuffer();
    const std::vector<Vertex>& vertices = mesh.getVertices();
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STATIC_DRAW);
    bindAttribute(program, "v_position", 3, sizeof(Vertex), offsetof(Vertex, position));
    bindAttribute(program, "v_normal", 3, sizeof(Vertex), offsetof(Vertex, normal));
    bindAttribute(program, "v_texCoord", 2, sizeof(Vertex), offsetof(Vertex, texCoords));

    glBindBuffer(GL_ARRAY_BUFFER, gpu.instanceBuffer);
    bindInstanceMatrixAttribute(program, "v_modelView", 4, 4);
    glBindBuffer(GL_ARRAY_BUFFER, gpu.instanceNormalBuffer);
    bindInstanceMatrixAttribute(program, "v_modelViewInvTrans", 3, 3);
    finishUpload();
    return gpu;
}

GpuMesh uploadLightVolume(const Mesh& volume)
{
    const GLuint program = volume.getMaterial()->shader->program;
    std::vector<glm::vec3> positions;
    positions.reserve(volume.getVertices().size());
    for (const Vertex& v : volume.getVertices())
        positions.push_back(v.position);

    glUseProgram(program);
    GpuMesh gpu = startUpload(volume.getIndices());
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(positions.size() * sizeof(glm::vec3)), positions.data(),
                 GL_STATIC_DRAW);
    bindAttribute(program, "v_position", 3, sizeof(glm::vec3), 0);
    glBindBuffer(GL_ARRAY_BUFFER, gpu.instanceBuffer);
    bindAttribute(program, "v_worldPosition", 3, sizeof(glm::vec3), 0, 1);
    finishUpload();
    return gpu;
}

}  // namespace qm
