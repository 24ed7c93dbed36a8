#include "Sky.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "Noise.h"

namespace scenegen {

namespace {

using glm::mix;
using glm::smoothstep;
using glm::vec2;
using glm::vec3;

// The sun has just set ahead-left of the start view; the moon is up ahead-right.
const vec3 sunDirection = glm::normalize(vec3(-0.6f, -0.04f, -0.8f));
const vec3 moonDirection = glm::normalize(vec3(0.7f, 0.5f, -0.5f));
constexpr float moonRadius = 0.035f;  // radians; larger than life so it reads on screen

float angleBetween(vec3 a, vec3 b)
{
    return std::acos(std::clamp(glm::dot(a, b), -1.0f, 1.0f));
}

vec3 faceDirection(int face, float sc, float tc)
{
    switch (face) {
    case 0: return {1.0f, -tc, -sc};
    case 1: return {-1.0f, -tc, sc};
    case 2: return {sc, 1.0f, tc};
    case 3: return {sc, -1.0f, -tc};
    case 4: return {sc, -tc, 1.0f};
    default: return {-sc, -tc, -1.0f};
    }
}

// 1 for the azimuth of the set sun, falling to 0 behind the viewer's back.
float sunwardness(vec3 d)
{
    const vec2 flat(d.x, d.z);
    const float length = glm::length(flat);
    // Straight up the azimuth means nothing; the halfway value keeps the zenith smooth.
    if (length < 1e-4f)
        return 0.5f;
    const float facing = glm::dot(flat / length, glm::normalize(vec2(sunDirection.x, sunDirection.z)));
    return 0.5f + 0.5f * facing;
}

// The clear sky from the horizon (up = 0) to the zenith (up = 1).
vec3 skyGradient(float up, float glow)
{
    const vec3 horizon = mix(vec3(0.36f, 0.25f, 0.38f), vec3(1.0f, 0.55f, 0.26f), glow);
    const vec3 rose = mix(vec3(0.26f, 0.20f, 0.38f), vec3(0.80f, 0.42f, 0.44f), glow);
    const vec3 blue(0.11f, 0.13f, 0.33f);
    const vec3 zenith(0.03f, 0.035f, 0.12f);
    // The warm bands reach higher where the sun went down.
    const float roseHeight = mix(0.08f, 0.22f, glow);
    const float blueHeight = mix(0.3f, 0.6f, glow);
    vec3 c = mix(horizon, rose, smoothstep(0.0f, roseHeight, up));
    c = mix(c, blue, smoothstep(roseHeight * 0.5f, blueHeight, up));
    return mix(c, zenith, smoothstep(blueHeight * 0.6f, 1.0f, up));
}

// Glow around the sun's position just below the horizon.
vec3 sunGlow(vec3 d)
{
    const float toward = std::max(glm::dot(d, sunDirection), 0.0f);
    return vec3(1.0f, 0.5f, 0.2f) * (0.25f * std::pow(toward, 12.0f) + 0.35f * std::pow(toward, 120.0f));
}

// Round stars from a 3D grid over the direction: each cell may hold one star,
// pushed onto the sphere and kept only if it stays in its own cell, so every
// star is found from the cells around a texel whichever face it is on.
vec3 stars(vec3 d)
{
    constexpr float scale = 70.0f;
    const vec3 p = d * scale;
    const glm::ivec3 home(glm::floor(p));
    vec3 light(0.0f);
    for (int dz = -1; dz <= 1; ++dz)
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const glm::ivec3 c = home + glm::ivec3(dx, dy, dz);
                if ((hash(c.x, c.y, c.z, 31) & 0xFFu) >= 48u)
                    continue;
                const vec3 jitter(hash01(c.x, c.y, c.z, 32), hash01(c.x, c.y, c.z, 33), hash01(c.x, c.y, c.z, 34));
                const vec3 star = glm::normalize(vec3(c) + jitter) * scale;
                if (glm::ivec3(glm::floor(star)) != c)
                    continue;
                // Most stars are faint; a few are much brighter and a little larger.
                const float magnitude = std::pow(hash01(c.x, c.y, c.z, 35), 6.0f);
                const float radius = 0.1f + 0.12f * magnitude;
                const float distance = glm::length(p - star) / radius;
                const float tint = hash01(c.x, c.y, c.z, 36);
                const vec3 colour = mix(vec3(0.75f, 0.85f, 1.0f), vec3(1.0f, 0.9f, 0.75f), tint);
                light += colour * (0.35f + 1.6f * magnitude) * std::exp(-distance * distance);
            }
    return light;
}

// The moon's disc and halo, as colour to add and how much of the sky it hides.
vec3 moon(vec3 d, float& cover)
{
    const float angle = angleBetween(d, moonDirection);
    cover = smoothstep(moonRadius, moonRadius * 0.9f, angle);
    // The halo continues under the soft edge so the rim does not darken.
    const vec3 halo = vec3(0.55f, 0.6f, 0.7f) *
        (0.25f * std::exp(-std::max(angle - moonRadius, 0.0f) / 0.02f) + 0.06f * std::exp(-angle / 0.25f));
    if (cover <= 0.0f)
        return halo;

    // Maria: darker grey patches fixed to the disc.
    const vec3 local = (d - moonDirection) / moonRadius;
    const float maria = smoothstep(0.5f, 0.65f, fbm(local * 1.6f + vec3(5.0f), 4, 41));
    const float limb = std::sqrt(std::max(0.0f, 1.0f - (angle / moonRadius) * (angle / moonRadius)));
    const vec3 surface = mix(vec3(1.0f, 0.98f, 0.9f), vec3(0.66f, 0.66f, 0.64f), maria * 0.8f) * (0.8f + 0.2f * limb);
    return surface * cover + halo * (1.0f - cover);
}

// Thin wisps low over the horizon, lit from below by the afterglow.
vec3 clouds(vec3 d, float glow, float& cover)
{
    cover = 0.0f;
    if (d.y <= 0.0f || d.y > 0.4f)
        return vec3(0.0f);
    // Project onto a flat cloud deck so the wisps flatten towards the horizon.
    const vec2 deck = vec2(d.x, d.z) / (d.y + 0.06f);
    const float wisps = fbm(vec3(deck.x * 0.5f + deck.y * 0.2f, deck.y * 2.2f - deck.x * 0.6f, 0.0f), 5, 51);
    const float band = smoothstep(0.01f, 0.05f, d.y) * smoothstep(0.4f, 0.15f, d.y);
    cover = smoothstep(0.52f, 0.78f, wisps) * band * 0.6f;
    return mix(vec3(0.30f, 0.22f, 0.32f), vec3(1.0f, 0.62f, 0.42f), glow);
}

vec3 skyColour(vec3 d)
{
    const float glow = std::pow(sunwardness(d), 3.0f);
    const float up = std::max(d.y, 0.0f);
    vec3 c = skyGradient(up, glow) + sunGlow(d);

    if (d.y < 0.0f) {
        // Haze below the horizon, starting from the horizon's own colour and darker further down.
        const float down = -d.y;
        c = mix(c, vec3(0.10f, 0.11f, 0.15f), smoothstep(0.0f, 0.2f, down));
        return mix(c, vec3(0.03f, 0.035f, 0.05f), smoothstep(0.1f, 0.6f, down));
    }

    // Stars show only where the sky has darkened, and fade near the moon.
    const float darkness = smoothstep(0.17f, 0.5f, up) * (1.0f - 0.7f * glow * (1.0f - up)) *
        smoothstep(0.06f, 0.3f, angleBetween(d, moonDirection));
    if (darkness > 0.0f)
        c += stars(d) * darkness;

    float cloudCover = 0.0f;
    const vec3 cloudColour = clouds(d, glow, cloudCover);
    c = mix(c, cloudColour, cloudCover);

    float moonCover = 0.0f;
    const vec3 moonLight = moon(d, moonCover);
    return c * (1.0f - moonCover) + moonLight;
}

}  // namespace

Image skyFace(int face, int size)
{
    Image image(size, size);
    for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
            const float sc = 2.0f * (float(i) + 0.5f) / float(size) - 1.0f;
            const float tc = 2.0f * (float(j) + 0.5f) / float(size) - 1.0f;
            const vec3 d = glm::normalize(faceDirection(face, sc, tc));
            // A little dither, itself a function of the direction, against banding in the smooth gradient.
            const glm::ivec3 q(glm::floor(d * 4096.0f));
            const float dither = (hash01(q.x, q.y, q.z, 61) - 0.5f) / 255.0f;
            image.set(i, j, glm::vec4(skyColour(d) + dither, 1.0f));
        }
    return image;
}

}  // namespace scenegen
