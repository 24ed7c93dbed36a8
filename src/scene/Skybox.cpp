#include "Skybox.h"

#include <array>

#include "TextureLoading.h"
#include "VertexAttributes.h"

namespace qm {

namespace {

constexpr std::array<float, 24> corners = {
    1, 1, 1, 1, 1, -1, 1, -1, 1, 1, -1, -1, -1, 1, 1, -1, 1, -1, -1, -1, 1, -1, -1, -1,
};

// Counter-clockwise seen from outside: from the inside, where the camera is, back faces.
constexpr std::array<GLuint, 36> cubeIndices = {
    0, 2, 3, 0, 3, 1, 4, 7, 6, 4, 5, 7, 0, 6, 2, 0, 4, 6, 1, 3, 7, 1, 7, 5, 0, 1, 4, 4, 1, 5, 2, 6, 3, 6, 7, 3,
};

}  // namespace

Skybox::Skybox(GLuint cubeMap, std::shared_ptr<Shader> shader) : shader(std::move(shader)), cubeMap(cubeMap)
{
    const GLuint program = this->shader->program;
    glUseProgram(program);
    glGenVertexArrays(1, &vertexArray);
    glGenBuffers(1, &vertexBuffer);
    glGenBuffers(1, &indexBuffer);
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(corners), corners.data(), GL_STATIC_DRAW);
    bindAttribute(program, "v_position", 3, 12, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(cubeIndices), cubeIndices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    glUseProgram(0);
}

Skybox::Skybox(Skybox&& other) noexcept
{
    *this = std::move(other);
}

Skybox& Skybox::operator=(Skybox&& other) noexcept
{
    std::swap(vertexArray, other.vertexArray);
    std::swap(vertexBuffer, other.vertexBuffer);
    std::swap(indexBuffer, other.indexBuffer);
    std::swap(shader, other.shader);
    std::swap(cubeMap, other.cubeMap);
    return *this;
}

Skybox::~Skybox()
{
    if (vertexArray != 0)
        glDeleteVertexArrays(1, &vertexArray);
    const GLuint buffers[] = {vertexBuffer, indexBuffer};
    for (const GLuint buffer : buffers) {
        if (buffer != 0)
            glDeleteBuffers(1, &buffer);
    }
    if (cubeMap != 0)
        glDeleteTextures(1, &cubeMap);
}

Skybox createSkybox()
{
    const std::shared_ptr<Shader> shader = loadShader("QM/cubemap", 2);
    return Skybox(loadCubeMap("cubemap", "loadsa_colors_"), shader);
}

}  // namespace qm
