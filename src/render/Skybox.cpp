#include "Skybox.h"

#include <array>

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
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(corners), corners.data(), GL_STATIC_DRAW);
    feedAttribute(attribute::position, 3, 12, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(cubeIndices), cubeIndices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

namespace {

GLTexture uploadCubeMap(const CubeFaces& faces)
{
    GLTexture texture = makeTexture();
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
    for (std::size_t face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + GLenum(face), 0, GL_RGB, faces.size, faces.size, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, faces.pixels(face));
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    return texture;
}

}  // namespace

std::shared_ptr<Skybox> makeSkybox(const CubeFaces& faces, std::shared_ptr<Shader> shader)
{
    return std::make_shared<Skybox>(uploadCubeMap(faces), std::move(shader));
}

}  // namespace qm
