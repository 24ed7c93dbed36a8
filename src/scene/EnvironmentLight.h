#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "Math.h"

namespace qm {

// The light around a model, for physically based surfaces: a cube of
// linear RGB radiance, faces in GL's order (+x, -x, +y, -y, +z, -z), each
// `size` x `size` texels, rows from the top.
struct EnvironmentImage {
    int size = 0;
    std::array<std::vector<glm::vec3>, 6> faces;
};

// The world direction through texel (x, y) of a face, not normalised.
glm::vec3 cubeTexelDirection(int face, int x, int y, int size);

// A neutral light for a model of one's own: a soft white sky brightest
// overhead, a horizon of half that, and a darker grey ground, without colour
// or features, so that metals show their shape rather than a place.
EnvironmentImage neutralEnvironment(int size);

// An environment from a file: an equirectangular panorama (a Radiance .hdr,
// or any picture the viewer reads, taken as sRGB; 2:1, up at the top), or a
// folder holding a cube's six square faces named posx, negx, posy, negy,
// posz and negz (.hdr, .png or .jpg). Resampled to `size` texels a face.
// Nothing, with the reason in `problem`, when it cannot be read.
std::optional<EnvironmentImage> loadEnvironment(const std::string& path, int size, std::string& problem);

// The irradiance of the environment as nine spherical-harmonic coefficients
// of its radiance (bands 0 to 2, in the order L00, L1-1, L10, L11, L2-2,
// L2-1, L20, L21, L22), which a program turns into the light falling on a
// surface of any direction.
std::array<glm::vec3, 9> radianceHarmonics(const EnvironmentImage& environment);

}  // namespace qm
