#include "FileLights.h"

#include <cmath>
#include <memory>
#include <vector>

#include "GraphicsResources.h"
#include "ImportContext.h"
#include "PointLight.h"

namespace qm {

void createLights(ImportContext& r, const SceneData& modelScene, float unboundedRadius)
{
    std::vector<std::shared_ptr<PointLight>> created;
    const bool fileLights = r.build.policy.fileLights;
    for (const SceneLight& modelLight : modelScene.lights) {
        const std::string& name = modelLight.name;
        // A user's model keeps its own point, spot and directional lights.
        if (fileLights && modelLight.kind == LightKind::Directional) {
            r.build.sunsByName.emplace(name, modelLight);
            continue;
        }
        if (fileLights && modelLight.kind != LightKind::Point && modelLight.kind != LightKind::Spot)
            continue;
        PointLight candidate = fileLights ? PointLight::fromFile(modelLight) : PointLight::withParametersFor(name);
        // Lights with equal colour, attenuation and cone are one light drawn at many places.
        std::shared_ptr<PointLight> light;
        for (const auto& existing : created) {
            if (existing->constant == candidate.constant && existing->linear == candidate.linear &&
                existing->quadratic == candidate.quadratic && existing->color == candidate.color &&
                existing->cosInner == candidate.cosInner && existing->cosOuter == candidate.cosOuter &&
                existing->direction == candidate.direction) {
                light = existing;
                break;
            }
        }
        if (!light) {
            light = std::make_shared<PointLight>(std::move(candidate));
            light->radius = light->volumeRadius();
            if (light->radius == 0.0f && fileLights)
                light->radius = unboundedRadius;
            light->setVolumeMesh(*r.session.lightSphereMesh);
            light->volume = r.session.resources->lightVolume(*light->volumeMesh);
            light->order = created.size();
            created.push_back(light);
        }
        r.build.lightsByName.emplace(name, light);
    }
}

std::optional<DirectionalLight> aimedDirectionalLight(const SceneLight& light, const glm::mat4& nodeToWorld)
{
    const glm::vec3 direction = glm::mat3(nodeToWorld) * glm::make_vec3(light.direction.data());
    const float length = glm::length(direction);
    if (!(length > 0.0f) || !std::isfinite(length))
        return std::nullopt;
    return DirectionalLight{direction / length, glm::make_vec3(light.diffuse.data())};
}

}  // namespace qm
