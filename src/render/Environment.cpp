#include "Environment.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace qm {

namespace {

// A face's next mipmap level: each texel the mean of the 2 x 2 above it (of
// the last row and column again where the size is odd).
std::vector<glm::vec3> halved(const std::vector<glm::vec3>& texels, int size, int half)
{
    std::vector<glm::vec3> next(std::size_t(half) * std::size_t(half));
    for (int y = 0; y < half; ++y)
        for (int x = 0; x < half; ++x) {
            const int x0 = 2 * x, y0 = 2 * y;
            const int x1 = std::min(x0 + 1, size - 1), y1 = std::min(y0 + 1, size - 1);
            next[std::size_t(y) * std::size_t(half) + std::size_t(x)] =
                0.25f * (texels[std::size_t(y0 * size + x0)] + texels[std::size_t(y0 * size + x1)] +
                         texels[std::size_t(y1 * size + x0)] + texels[std::size_t(y1 * size + x1)]);
        }
    return next;
}

}  // namespace

std::shared_ptr<Environment> makeEnvironment(const EnvironmentImage& image)
{
    auto environment = std::make_shared<Environment>();
    environment->cube = makeTexture();
    environment->harmonics = radianceHarmonics(image);
    // The roughest surfaces read a face of 8 texels or more: the smaller
    // levels of a box-filtered chain show their faces as blocks.
    environment->mipLevels = std::max(0.0f, std::floor(std::log2(float(image.size))) - 3.0f);
    glBindTexture(GL_TEXTURE_CUBE_MAP, environment->cube);
    // The box-filtered chain is made here rather than by glGenerateMipmap:
    // the faces are small, and a software renderer compiles a program of
    // its own for the driver's mipmaps, which cost more than the rest of the
    // environment (60 ms of a thumbnail's half second).
    std::array<std::vector<glm::vec3>, 6> faces = image.faces;
    for (int level = 0, size = image.size;; ++level) {
        for (std::size_t face = 0; face < 6; ++face)
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + GLenum(face), level, GL_RGB16F, size, size, 0, GL_RGB,
                         GL_FLOAT, faces[face].data());
        if (size <= 1)
            break;
        const int half = size / 2;
        for (std::vector<glm::vec3>& texels : faces)
            texels = halved(texels, size, half);
        size = half;
    }
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    for (GLenum axis : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R})
        glTexParameteri(GL_TEXTURE_CUBE_MAP, axis, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return environment;
}

}  // namespace qm
