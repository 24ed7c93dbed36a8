#include "Billboard.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scenegen {

glm::vec4 sampleRepeat(const Image& image, glm::vec2 uv)
{
    const auto wrap = [](float t, int size) {
        const int i = int(std::floor(t * float(size)));
        return ((i % size) + size) % size;
    };
    return image.get(wrap(uv.x, image.width), wrap(uv.y, image.height));
}

Image renderBillboard(const GenMesh& mesh, const std::function<glm::vec3(glm::vec2 uv)>& albedo, int maxSize)
{
    const glm::vec3 lo = mesh.min();
    const glm::vec3 hi = mesh.max();
    const float hx = std::max((hi.x - lo.x) * 0.5f, 1e-3f);
    const float hy = std::max((hi.y - lo.y) * 0.5f, 1e-3f);
    const float aspect = (2.0f * hx) / (4.0f * hy);
    const int width = aspect >= 1.0f ? maxSize : std::max(16, int(std::lround(float(maxSize) * aspect)));
    const int height = aspect >= 1.0f ? std::max(16, int(std::lround(float(maxSize) / aspect))) : maxSize;

    // Rendered at twice the size and averaged down, for soft edges.
    const int sw = width * 2;
    const int sh = height * 2;
    std::vector<float> depth(std::size_t(sw) * sh, -std::numeric_limits<float>::infinity());
    std::vector<glm::vec4> colour(std::size_t(sw) * sh, glm::vec4(0.0f));
    const auto toPixel = [&](const glm::vec3& p) {
        return glm::vec3((p.x + hx) / (2.0f * hx) * float(sw), (2.0f * hy - p.y) / (4.0f * hy) * float(sh), p.z);
    };
    const glm::vec3 light = glm::normalize(glm::vec3(0.4f, 0.7f, 0.6f));

    for (std::size_t t = 0; t + 2 < mesh.indices.size(); t += 3) {
        const std::uint32_t i0 = mesh.indices[t], i1 = mesh.indices[t + 1], i2 = mesh.indices[t + 2];
        const glm::vec3 a = toPixel(mesh.positions[i0]);
        const glm::vec3 b = toPixel(mesh.positions[i1]);
        const glm::vec3 c = toPixel(mesh.positions[i2]);
        const float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
        if (std::abs(area) < 1e-9f)
            continue;
        const int x0 = std::max(0, int(std::floor(std::min({a.x, b.x, c.x}))));
        const int x1 = std::min(sw - 1, int(std::ceil(std::max({a.x, b.x, c.x}))));
        const int y0 = std::max(0, int(std::floor(std::min({a.y, b.y, c.y}))));
        const int y1 = std::min(sh - 1, int(std::ceil(std::max({a.y, b.y, c.y}))));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const float px = float(x) + 0.5f;
                const float py = float(y) + 0.5f;
                const float w0 = ((b.x - px) * (c.y - py) - (b.y - py) * (c.x - px)) / area;
                const float w1 = ((c.x - px) * (a.y - py) - (c.y - py) * (a.x - px)) / area;
                const float w2 = 1.0f - w0 - w1;
                if (w0 < 0.0f || w1 < 0.0f || w2 < 0.0f)
                    continue;
                const float z = w0 * a.z + w1 * b.z + w2 * c.z;
                const std::size_t at = std::size_t(y) * sw + x;
                if (z <= depth[at])
                    continue;
                depth[at] = z;
                const glm::vec2 uv = w0 * mesh.uvs[i0] + w1 * mesh.uvs[i1] + w2 * mesh.uvs[i2];
                glm::vec3 n = w0 * mesh.normals[i0] + w1 * mesh.normals[i1] + w2 * mesh.normals[i2];
                n = glm::length(n) > 1e-6f ? glm::normalize(n) : glm::vec3(0, 0, 1);
                // Gentle baked shading keeps the form readable; the viewer lights it again.
                const float shade = 0.65f + 0.35f * std::max(0.0f, glm::dot(n, light));
                colour[at] = glm::vec4(albedo(uv) * shade, 1.0f);
            }
        }
    }

    Image picture(width, height);
    glm::vec3 covered(0.0f);
    float coveredWeight = 0.0f;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            glm::vec4 sum(0.0f);
            for (int k = 0; k < 4; ++k)
                sum += colour[std::size_t(2 * y + k / 2) * sw + 2 * x + k % 2];
            const float alpha = sum.a / 4.0f;
            const glm::vec3 rgb = sum.a > 0.0f ? glm::vec3(sum) / sum.a : glm::vec3(0.0f);
            picture.set(x, y, glm::vec4(rgb, alpha));
            covered += glm::vec3(sum);
            coveredWeight += sum.a;
        }
    }
    // Transparent texels take the average colour so that filtering does not
    // pull dark fringes into the edges.
    const glm::vec3 fill = coveredWeight > 0.0f ? covered / coveredWeight : glm::vec3(0.0f);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (picture.get(x, y).a == 0.0f)
                picture.set(x, y, glm::vec4(fill, 0.0f));
        }
    }
    return picture;
}

}  // namespace scenegen
