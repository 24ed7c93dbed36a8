#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class MeshLOD;
struct Material;

// A file's material variants (glTF's KHR_materials_variants): for each
// mesh some variant changes, its own material and the one each variant
// gives it. Showing a variant puts its materials on every level of those
// meshes; the draw lists read them from the next frame.
class MaterialVariants {
public:
    struct Change {
        std::shared_ptr<MeshLOD> chain;
        std::shared_ptr<Material> own;
        // By variant; null where the variant keeps the mesh's own.
        std::vector<std::shared_ptr<Material>> byVariant;
    };

    std::vector<std::string> names;
    std::vector<Change> changes;

    // Variant `variant`'s materials, or with none the file's own.
    void show(std::optional<std::size_t> variant);
    // The next variant after the one shown, after the last the file's own
    // materials, then the first again.
    void step();
    std::optional<std::size_t> shown() const { return current; }
    // "Material variant 2 of 3: "Midnight"." or "The file's own materials."
    std::string line() const;

private:
    std::optional<std::size_t> current;
};

}  // namespace qm
