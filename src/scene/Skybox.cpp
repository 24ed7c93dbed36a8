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

Skybox::Skybox(GLTexture cubeMap, std::shared_ptr<Shader> shader)
    : vertexArray(makeVertexArray()), vertexBuffer(makeBuffer()), indexBuffer(makeBuffer()),
      shader(std::move(shader)), cubeMap(std::move(cubeMap))
{
    const GLuint program = this->shader->program;
    glUseProgram(program);
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

Skybox createSkybox(const std::string& assetDirectory)
{
    const std::shared_ptr<Shader> shader = loadShader("QM/cubemap");
    return Skybox(loadCubeMap(assetDirectory + "/cubemap", "loadsa_colors_"), shader);
}

}  // namespace qm
