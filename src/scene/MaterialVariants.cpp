#include "MaterialVariants.h"

#include "Mesh.h"
#include "MeshLOD.h"

namespace qm {

void MaterialVariants::show(std::optional<std::size_t> variant)
{
    current = variant && *variant < names.size() ? variant : std::nullopt;
    for (const Change& change : changes) {
        std::shared_ptr<Material> material = change.own;
        if (current && *current < change.byVariant.size() && change.byVariant[*current])
            material = change.byVariant[*current];
        for (const std::shared_ptr<Mesh>& level : change.chain->levels)
            if (level)
                level->setMaterial(material);
    }
}

void MaterialVariants::step()
{
    if (names.empty())
        return;
    show(!current ? std::optional<std::size_t>(0)
                  : *current + 1 < names.size() ? std::optional(*current + 1) : std::nullopt);
}

std::string MaterialVariants::line() const
{
    if (!current)
        return "The file's own materials.";
    return "Material variant " + std::to_string(*current + 1) + " of " + std::to_string(names.size()) + ": \"" +
           names[*current] + "\".";
}

}  // namespace qm
