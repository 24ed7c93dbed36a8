#pragma once

#include <cstdint>
#include <vector>

#include <glm/glm.hpp>

// How far apart two triangle surfaces are, measured on points sampled over
// each (area-weighted, fixed seed) against the nearest point of the other.
struct SurfaceDistance {
    double hausdorff = 0.0;  // the largest distance either way
    double mean = 0.0;       // the mean of both directions' means
};

SurfaceDistance surfaceDistance(const std::vector<glm::vec3>& positionsA, const std::vector<std::uint32_t>& indicesA,
                                const std::vector<glm::vec3>& positionsB, const std::vector<std::uint32_t>& indicesB,
                                int samples);
