#include "FileLights.h"

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
        // A user's model keeps its own point lights; the moon lights the rest.
        if (fileLights && modelLight.kind != LightKind::Point)
            continue;
        PointLight candidate = fileLights ? PointLight::fromFile(modelLight) : PointLight::withParametersFor(name);
        // Lights with equal colour and attenuation are one light drawn at many places.
        std::shared_ptr<PointLight> light;
        for (const auto& existing : created) {
            if (existing->constant == candidate.constant && existing->linear == candidate.linear &&
                existing->quadratic == candidate.quadratic && existing->color == candidate.color) {
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

}  // namespace qm
