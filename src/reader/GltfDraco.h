#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace draco {
class Mesh;
}

namespace qm {

// A primitive's geometry as KHR_draco_mesh_compression holds it, decoded
// with Debian's Draco library: its vertices' attributes by the ids the
// extension gives them, and its triangles.
class DracoPrimitive {
public:
    // Throws GltfError when the bytes do not decode to a mesh.
    explicit DracoPrimitive(std::span<const std::uint8_t> bytes);
    ~DracoPrimitive();

    std::size_t vertexCount() const;
    // Three vertex indices a triangle.
    std::vector<std::uint32_t> triangles() const;
    // The attribute `id`, `width` values a vertex (missing components 0,
    // or 1 for a fourth); normalised integers become 0 to 1 or -1 to 1.
    // Throws GltfError when there is no such attribute.
    std::vector<float> floats(std::uint32_t id, int width) const;
    std::vector<std::uint32_t> integers(std::uint32_t id, int width) const;

private:
    std::unique_ptr<draco::Mesh> mesh;
};

}  // namespace qm
