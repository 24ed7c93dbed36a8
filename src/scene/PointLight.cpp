#include "PointLight.h"

#include <algorithm>
#include <cmath>

#include "GraphicsResources.h"

namespace qm {

PointLight PointLight::withParametersFor(const std::string& name)
{
    PointLight light;
    light.ambientIntensity = 0.2f;
    light.diffuseIntensity = 0.5f;
    if (name == "Point.1000") {
        light.color = {0.8f, 0.8f, 1.0f};
        light.constant = 5.0f;
        light.linear = 2.0f;
        light.quadratic = 1.0f;
    } else {
        light.color = glm::vec3(0.8f);
        light.constant = 1.0f;
        light.linear = 0.526f;
        light.quadratic = 0.815f;
    }
    return light;
}

float PointLight::volumeRadius() const
{
    const float m = std::max({color.r, color.g, color.b});
    const float target = 256.0f * m * diffuseIntensity;
    float distance = 0.0f;
    if (quadratic == 0.0f) {
        if (linear == 0.0f)
            return 0.0f;
        distance = (target - constant) / linear;
    } else {
        const float discriminant = linear * linear - 4.0f * quadratic * (constant - target);
        if (discriminant < 0.0f)
            return 0.0f;
        distance = (-linear + std::sqrt(discriminant)) / (2.0f * quadratic);
    }
    if (!(distance > 0.0f) || !std::isfinite(distance))
        return 0.0f;
    return static_cast<float>(static_cast<double>(distance) * 1.5);
}

void PointLight::setVolumeMesh(const Mesh& sphere)
{
    std::vector<Vertex> vertices = sphere.getVertices();
    for (Vertex& v : vertices)
        v.position *= radius;
    volumeMesh = std::make_shared<Mesh>(std::move(vertices), sphere.getIndices(), sphere.getMaterial());
}

PointLight PointLight::fromFile(const SceneLight& light)
{
    PointLight point = withParametersFor("");
    point.color = {light.diffuse[0], light.diffuse[1], light.diffuse[2]};
    point.constant = light.attenuationConstant;
    point.linear = light.attenuationLinear;
    point.quadratic = light.attenuationQuadratic;
    if (light.kind == LightKind::Spot) {
        // Whole angles in the scene data; a cone never opens past a half turn.
        const float outer = std::clamp(light.outerCone * 0.5f, 0.0f, glm::pi<float>() * 0.5f);
        point.cosOuter = std::cos(outer);
        point.cosInner = std::cos(std::clamp(light.innerCone * 0.5f, 0.0f, outer));
        const glm::vec3 direction = glm::make_vec3(light.direction.data());
        if (glm::length(direction) > 0.0f)
            point.direction = glm::normalize(direction);
    }
    return point;
}

}  // namespace qm
