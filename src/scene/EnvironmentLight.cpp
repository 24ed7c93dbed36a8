#include "EnvironmentLight.h"

namespace qm {

glm::vec3 cubeTexelDirection(int face, int x, int y, int size)
{
    const float s = 2.0f * (float(x) + 0.5f) / float(size) - 1.0f;
    const float t = 2.0f * (float(y) + 0.5f) / float(size) - 1.0f;
    switch (face) {
    case 0: return {1.0f, -t, -s};
    case 1: return {-1.0f, -t, s};
    case 2: return {s, 1.0f, t};
    case 3: return {s, -1.0f, -t};
    case 4: return {s, -t, 1.0f};
    default: return {-s, -t, -1.0f};
    }
}

EnvironmentImage neutralEnvironment(int size)
{
    EnvironmentImage image;
    image.size = size;
    for (int face = 0; face < 6; ++face) {
        std::vector<glm::vec3>& texels = image.faces[std::size_t(face)];
        texels.resize(std::size_t(size) * std::size_t(size));
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const float up = glm::normalize(cubeTexelDirection(face, x, y, size)).y;
                const float level = up >= 0.0f ? glm::mix(0.06f, 0.12f, std::sqrt(up)) : glm::mix(0.06f, 0.02f, std::sqrt(-up));
                texels[std::size_t(y) * std::size_t(size) + std::size_t(x)] = glm::vec3(level);
            }
        }
    }
    return image;
}

std::array<glm::vec3, 9> radianceHarmonics(const EnvironmentImage& environment)
{
    std::array<glm::vec3, 9> sums{};
    const int size = environment.size;
    for (int face = 0; face < 6; ++face) {
        const std::vector<glm::vec3>& texels = environment.faces[std::size_t(face)];
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const glm::vec3 raw = cubeTexelDirection(face, x, y, size);
                // The solid angle a texel covers shrinks towards the face's corners.
                const float lengthSquared = glm::dot(raw, raw);
                const float solidAngle = 4.0f / (float(size) * float(size) * lengthSquared * std::sqrt(lengthSquared));
                const glm::vec3 d = raw / std::sqrt(lengthSquared);
                const float basis[9] = {0.282095f,
                                        0.488603f * d.y,
                                        0.488603f * d.z,
                                        0.488603f * d.x,
                                        1.092548f * d.x * d.y,
                                        1.092548f * d.y * d.z,
                                        0.315392f * (3.0f * d.z * d.z - 1.0f),
                                        1.092548f * d.x * d.z,
                                        0.546274f * (d.x * d.x - d.y * d.y)};
                const glm::vec3& radiance = texels[std::size_t(y) * std::size_t(size) + std::size_t(x)];
                for (std::size_t k = 0; k < 9; ++k)
                    sums[k] += radiance * (basis[k] * solidAngle);
            }
        }
    }
    return sums;
}

}  // namespace qm
