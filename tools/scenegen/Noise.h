#pragma once

#include <cstdint>

#include <glm/glm.hpp>

// Deterministic value noise: the same inputs give the same values on every
// run and machine (integer hashing, no global state).
namespace scenegen {

// A well-mixed 32-bit hash of up to four integers.
std::uint32_t hash(std::int32_t x, std::int32_t y = 0, std::int32_t z = 0, std::uint32_t seed = 0);
// The hash as a float in [0, 1).
float hash01(std::int32_t x, std::int32_t y = 0, std::int32_t z = 0, std::uint32_t seed = 0);

// Smooth value noise in [0, 1]. With period > 0 the 2D lattice wraps every
// `period` units, so a texture sampled over [0, period) tiles seamlessly.
float valueNoise(glm::vec2 p, std::uint32_t seed, int period = 0);
float valueNoise(glm::vec3 p, std::uint32_t seed);

// Fractal sums of the above, normalised to [0, 1]; each octave doubles the
// frequency (and the period) and halves the amplitude.
float fbm(glm::vec2 p, int octaves, std::uint32_t seed, int period = 0);
float fbm(glm::vec3 p, int octaves, std::uint32_t seed);

// A deterministic pseudo-random sequence for placing things.
class Random {
public:
    explicit Random(std::uint32_t seed) : state(seed * 2654435761u + 1u) {}
    std::uint32_t next();
    float uniform(float lo = 0.0f, float hi = 1.0f);  // in [lo, hi)
    int integer(int lo, int hi);                      // in [lo, hi]

private:
    std::uint32_t state;
};

}  // namespace scenegen
