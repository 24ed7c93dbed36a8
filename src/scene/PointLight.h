#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Math.h"
#include "Mesh.h"
#include "SceneData.h"

namespace qm {

struct GpuMesh;

// Colour and intensities shared by every kind of light.
struct Light {
    glm::vec3 color{0.0f};
    float ambientIntensity = 0.0f;
    float diffuseIntensity = 0.0f;
};

// A point light drawn as a light-volume sphere at every visible placement;
// a spot light is one whose cone limits where it shines.
class PointLight : public Light {
public:
    // The fixed parameters for a light of this name: "Point.1000" has its own set.
    static PointLight withParametersFor(const std::string& name);
    // A model file's own light: its colour and attenuation, today's intensities.
    static PointLight fromFile(const SceneLight& light);

    // The distance at which the attenuated intensity falls to 1/256, times 1.5;
    // 0 when the parameters give no such (positive, finite) distance.
    float volumeRadius() const;

    // Builds this light's own copy of the sphere scaled to `radius`.
    void setVolumeMesh(const Mesh& sphere);

    float constant = 0.0f;
    float linear = 0.0f;
    float quadratic = 0.0f;
    float radius = 0.0f;
    // A spot light's cone, as cosines of its half angles: full strength
    // inside the inner, none outside the outer. A point light's outer cosine
    // lies below -1, so that every direction is inside.
    float cosInner = -1.0f;
    float cosOuter = -2.0f;
    // Where a spot light points, in its node's space.
    glm::vec3 direction{0.0f, 0.0f, -1.0f};
    std::shared_ptr<Mesh> volumeMesh;
    // The volume's GPU copy, drawn once per visible placement.
    std::shared_ptr<GpuMesh> volume;
    // The order of creation: a frame's lights are drawn in it, so that the
    // same view gives the same picture on every run.
    std::size_t order = 0;
};

}  // namespace qm
