#include "Environment.h"

#include <algorithm>
#include <cmath>

namespace qm {

std::shared_ptr<Environment> makeEnvironment(const EnvironmentImage& image)
{
    auto environment = std::make_shared<Environment>();
    environment->cube = makeTexture();
    environment->harmonics = radianceHarmonics(image);
    // The roughest surfaces read a face of 8 texels or more: the smaller
    // levels of a box-filtered chain show their faces as blocks.
    environment->mipLevels = std::max(0.0f, std::floor(std::log2(float(image.size))) - 3.0f);
    glBindTexture(GL_TEXTURE_CUBE_MAP, environment->cube);
    for (std::size_t face = 0; face < 6; ++face)
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + GLenum(face), 0, GL_RGB16F, image.size, image.size, 0, GL_RGB,
                     GL_FLOAT, image.faces[face].data());
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    for (GLenum axis : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T, GL_TEXTURE_WRAP_R})
        glTexParameteri(GL_TEXTURE_CUBE_MAP, axis, GL_CLAMP_TO_EDGE);
    glGenerateMipmap(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    return environment;
}

}  // namespace qm
