#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Material.h"
#include "Renderable.h"
#include "Vertex.h"

namespace qm {

// One drawable triangle list: a CPU copy while the scene is imported and
// simplified, then GL buffers drawn once per frame for all visible copies.
class Mesh : public Renderable {
public:
    Mesh(std::vector<Vertex> vertices, std::vector<std::uint32_t> indices, std::shared_ptr<Material> material);

    // Uploads the vertices and indices and wires the per-vertex and
    // per-instance attributes of the material's program.
    void setup() override;
    // Frees the CPU copies; the index count and the GL objects stay.
    void releaseCpuData();

    const std::vector<Vertex>& getVertices() const { return vertices; }
    const std::vector<std::uint32_t>& getIndices() const { return indices; }
    const std::shared_ptr<Material>& getMaterial() const { return material; }

    glm::vec2 billboardSize{0.0f};
    GLBuffer instanceNormalBuffer;
    // This frame's model-view (or, for billboards, world) and normal matrices, one pair per visible copy.
    std::vector<glm::mat4> instanceTransforms;
    std::vector<glm::mat3> instanceNormalMatrices;

private:
    std::vector<std::uint32_t> indices;
    std::vector<Vertex> vertices;
    std::shared_ptr<Material> material;
};

}  // namespace qm
