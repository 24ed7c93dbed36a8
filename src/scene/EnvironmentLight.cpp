#include "EnvironmentLight.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "ImageFile.h"

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

namespace {

// Bilinear, clamped at the edges, or wrapping across the left and right
// edges for a panorama.
glm::vec3 sample(const RadianceImage& image, float x, float y, bool wrap)
{
    const auto texel = [&](int tx, int ty) {
        tx = wrap ? ((tx % image.width) + image.width) % image.width : std::clamp(tx, 0, image.width - 1);
        ty = std::clamp(ty, 0, image.height - 1);
        const float* p = &image.rgb[3 * (std::size_t(ty) * std::size_t(image.width) + std::size_t(tx))];
        return glm::vec3(p[0], p[1], p[2]);
    };
    x -= 0.5f;
    y -= 0.5f;
    const int x0 = int(std::floor(x));
    const int y0 = int(std::floor(y));
    const float fx = x - float(x0);
    const float fy = y - float(y0);
    return glm::mix(glm::mix(texel(x0, y0), texel(x0 + 1, y0), fx), glm::mix(texel(x0, y0 + 1), texel(x0 + 1, y0 + 1), fx),
                    fy);
}

// Light values a file may hold that the renderer must not: not-a-number,
// infinities and negatives become black.
glm::vec3 sane(const glm::vec3& c)
{
    glm::vec3 out;
    for (int k = 0; k < 3; ++k)
        out[k] = std::isfinite(c[k]) && c[k] > 0.0f ? std::min(c[k], 65000.0f) : 0.0f;
    return out;
}

}  // namespace

std::optional<EnvironmentImage> loadEnvironment(const std::string& path, int size, std::string& problem)
{
    EnvironmentImage environment;
    environment.size = size;
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        static const char* const names[6] = {"posx", "negx", "posy", "negy", "posz", "negz"};
        for (std::size_t face = 0; face < 6; ++face) {
            RadianceImage picture;
            for (const char* extension : {".hdr", ".png", ".jpg"}) {
                const std::string file = path + "/" + names[face] + extension;
                if (std::filesystem::exists(file, error)) {
                    picture = loadRadiance(file);
                    if (!picture) {
                        problem = file + ": " + picture.error;
                        return std::nullopt;
                    }
                    break;
                }
            }
            if (!picture) {
                problem = "no face " + std::string(names[face]) + " (.hdr, .png or .jpg) in the folder";
                return std::nullopt;
            }
            if (picture.width != picture.height) {
                problem = std::string("the face ") + names[face] + " is not square";
                return std::nullopt;
            }
            const float scale = float(picture.width) / float(size);
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    environment.faces[face].push_back(
                        sane(sample(picture, (float(x) + 0.5f) * scale, (float(y) + 0.5f) * scale, false)));
        }
        return environment;
    }
    const RadianceImage panorama = loadRadiance(path);
    if (!panorama) {
        problem = panorama.error;
        return std::nullopt;
    }
    for (int face = 0; face < 6; ++face) {
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const glm::vec3 d = glm::normalize(cubeTexelDirection(face, x, y, size));
                // Longitude from -z round through +x, latitude from the top row down.
                const float u = 0.5f + std::atan2(d.x, -d.z) / (2.0f * float(M_PI));
                const float v = std::acos(std::clamp(d.y, -1.0f, 1.0f)) / float(M_PI);
                environment.faces[std::size_t(face)].push_back(
                    sane(sample(panorama, u * float(panorama.width), v * float(panorama.height), true)));
            }
        }
    }
    return environment;
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
