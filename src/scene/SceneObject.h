#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "BoundingBox.h"
#include "Math.h"

namespace qm {

class Mesh;
class MeshLOD;
class PointLight;

// One node of the scene tree: a placed mesh, a placed light, or a group.
class SceneObject {
public:
    void setMeshLOD(std::shared_ptr<MeshLOD> lod) { meshLOD = std::move(lod); }
    const std::shared_ptr<MeshLOD>& getMeshLOD() const { return meshLOD; }
    // The mesh at a level (0 to 3) of this object's chain; empty without one.
    std::shared_ptr<Mesh> getMesh(int level) const;

    // The world box of the object's own mesh or light volume; a group keeps its box.
    void computeBounds();
    // Grows the box to enclose a child's.
    void mergeBounds(const SceneObject& child);

    std::shared_ptr<PointLight> light;
    glm::mat4 localTransform{1.0f};
    glm::mat4 model{1.0f};
    glm::vec3 position{0.0f};
    BoundingBox boundingBox;
    glm::mat4 initialModel{1.0f};
    glm::vec3 initialPosition{0.0f};
    float radiusOffset = 0.0f;
    // Not owning: a parent outlives its children, which it owns.
    std::weak_ptr<SceneObject> parent;
    std::vector<std::shared_ptr<SceneObject>> children;
    // The object's row in its scene's object table, once filed.
    static constexpr std::uint32_t unfiled = 0xffffffffu;
    std::uint32_t row = unfiled;

private:
    std::shared_ptr<MeshLOD> meshLOD;
};

}  // namespace qm
