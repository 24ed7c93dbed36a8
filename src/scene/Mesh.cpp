#include "Mesh.h"

#include <cstddef>

#include "VertexAttributes.h"

namespace qm {

Mesh::Mesh(std::vector<Vertex> vertices, std::vector<std::uint32_t> indices, std::shared_ptr<Material> material)
    : indices(std::move(indices)), vertices(std::move(vertices)), material(std::move(material))
{
    indexCount = static_cast<GLuint>(this->indices.size());
}

void Mesh::setup()
{
    const GLuint program = material->shader->program;
    glUseProgram(program);
    vertexArray = makeVertexArray();
    vertexBuffer = makeBuffer();
    indexBuffer = makeBuffer();
    instanceBuffer = makeBuffer();
    instanceNormalBuffer = makeBuffer();
    glBindVertexArray(vertexArray);

    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(Vertex)), vertices.data(),
                 GL_STATIC_DRAW);
    bindAttribute(program, "v_position", 3, sizeof(Vertex), offsetof(Vertex, position));
    bindAttribute(program, "v_normal", 3, sizeof(Vertex), offsetof(Vertex, normal));
    bindAttribute(program, "v_texCoord", 2, sizeof(Vertex), offsetof(Vertex, texCoords));

    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(std::uint32_t)),
                 indices.data(), GL_STATIC_DRAW);

    glBindBuffer(GL_ARRAY_BUFFER, instanceBuffer);
    bindInstanceMatrixAttribute(program, "v_modelView", 4, 4);
    glBindBuffer(GL_ARRAY_BUFFER, instanceNormalBuffer);
    bindInstanceMatrixAttribute(program, "v_modelViewInvTrans", 3, 3);

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glUseProgram(0);
}

void Mesh::releaseCpuData()
{
    std::vector<Vertex>().swap(vertices);
    std::vector<std::uint32_t>().swap(indices);
}

}  // namespace qm
