#include "Noise.h"

#include <cmath>
#include <initializer_list>

namespace scenegen {

std::uint32_t hash(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B9u;
    for (std::uint32_t v : {std::uint32_t(x), std::uint32_t(y), std::uint32_t(z)}) {
        h ^= v + 0x7F4A7C15u + (h << 6) + (h >> 2);
        h *= 0x85EBCA6Bu;
        h ^= h >> 13;
    }
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}

float hash01(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed)
{
    return float(hash(x, y, z, seed) >> 8) * (1.0f / 16777216.0f);
}

namespace {

float smooth(float t)
{
    return t * t * (3.0f - 2.0f * t);
}

std::int32_t wrap(std::int32_t i, int period)
{
    if (period <= 0)
        return i;
    const std::int32_t m = i % period;
    return m < 0 ? m + period : m;
}

}  // namespace

float valueNoise(glm::vec2 p, std::uint32_t seed, int period)
{
    const glm::vec2 cell = glm::floor(p);
    const glm::vec2 f = p - cell;
    const auto ix = std::int32_t(cell.x);
    const auto iy = std::int32_t(cell.y);
    const auto corner = [&](int dx, int dy) {
        return hash01(wrap(ix + dx, period), wrap(iy + dy, period), 0, seed);
    };
    const float sx = smooth(f.x);
    const float sy = smooth(f.y);
    const float bottom = glm::mix(corner(0, 0), corner(1, 0), sx);
    const float top = glm::mix(corner(0, 1), corner(1, 1), sx);
    return glm::mix(bottom, top, sy);
}

float valueNoise(glm::vec3 p, std::uint32_t seed)
{
    const glm::vec3 cell = glm::floor(p);
    const glm::vec3 f = p - cell;
    const glm::ivec3 i(cell);
    const glm::vec3 s(smooth(f.x), smooth(f.y), smooth(f.z));
    float layers[2];
    for (int dz = 0; dz < 2; ++dz) {
        const auto corner = [&](int dx, int dy) { return hash01(i.x + dx, i.y + dy, i.z + dz, seed); };
        layers[dz] = glm::mix(glm::mix(corner(0, 0), corner(1, 0), s.x), glm::mix(corner(0, 1), corner(1, 1), s.x), s.y);
    }
    return glm::mix(layers[0], layers[1], s.z);
}

float fbm(glm::vec2 p, int octaves, std::uint32_t seed, int period)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * valueNoise(p, seed + std::uint32_t(o) * 101u, period);
        total += amplitude;
        p *= 2.0f;
        period *= 2;
        amplitude *= 0.5f;
    }
    return sum / total;
}

float fbm(glm::vec3 p, int octaves, std::uint32_t seed)
{
    float sum = 0.0f;
    float amplitude = 1.0f;
    float total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * valueNoise(p, seed + std::uint32_t(o) * 101u);
        total += amplitude;
        p *= 2.0f;
        amplitude *= 0.5f;
    }
    return sum / total;
}

std::uint32_t Random::next()
{
    // xorshift32: tiny, fast and the same everywhere.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float Random::uniform(float lo, float hi)
{
    return lo + (hi - lo) * float(next() >> 8) * (1.0f / 16777216.0f);
}

int Random::integer(int lo, int hi)
{
    return lo + int(next() % std::uint32_t(hi - lo + 1));
}

}  // namespace scenegen
