#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Material.h"
#include "MeshData.h"
#include "Vertex.h"

namespace qm {

struct GpuMesh;
struct MeshDeformation;

// One drawable index list: a CPU copy while the scene is imported and
// simplified, then its GPU copy, drawn once per frame for all visible copies.
class Mesh {
public:
    Mesh(std::vector<Vertex> vertices, std::vector<std::uint32_t> indices, std::shared_ptr<Material> material,
         Primitive primitive = Primitive::Triangles);

    // Frees the CPU copies (of the deformation, its arrays); the GPU copy stays.
    void releaseCpuData();

    const std::vector<Vertex>& getVertices() const { return vertices; }
    const std::vector<std::uint32_t>& getIndices() const { return indices; }
    const std::shared_ptr<Material>& getMaterial() const { return material; }
    // Another material, as a file's material variant gives it.
    void setMaterial(std::shared_ptr<Material> other) { material = std::move(other); }
    Primitive primitive() const { return kind; }

    glm::vec2 billboardSize{0.0f};
    // What moves its vertices within its object (bones, morph targets); none
    // for a rigid mesh. Levels of detail share their original's, and hold no
    // vertices of their own: their indices name the original's, whose GPU
    // buffers they read (GraphicsResources::level).
    std::shared_ptr<const MeshDeformation> deformation;
    // The renderer's buffers; empty until uploaded.
    std::shared_ptr<GpuMesh> gpu;
    // Its place in the drawing scene's table of meshes, where a frame's
    // draw list gathers its copies; the scene gives it on first sight.
    mutable std::uint32_t drawSlot = ~0u;

private:
    std::vector<std::uint32_t> indices;
    std::vector<Vertex> vertices;
    std::shared_ptr<Material> material;
    Primitive kind = Primitive::Triangles;
};

}  // namespace qm
