#pragma once

#include <array>
#include <memory>
#include <string>

#include "BoundingBox.h"
#include "Mesh.h"

namespace qm {

// The four levels of one mesh: 0 as imported, 1 and 2 simplified, 3 a
// billboard (empty without a picture), with the box of level 0 in the
// mesh's own coordinates.
class MeshLOD {
public:
    MeshLOD(std::shared_ptr<Mesh> level0, std::shared_ptr<Mesh> level1, std::shared_ptr<Mesh> level2);

    // The box of level 0's vertices; needs level 0's CPU data.
    void computeBoundingBox();

    std::shared_ptr<Mesh> getLevel(int i) const { return levels[static_cast<std::size_t>(i)]; }
    BoundingBox getBoundingBox() const { return boundingBox; }

    std::array<std::shared_ptr<Mesh>, 4> levels;
    // The model mesh's name, for messages.
    std::string name;
    BoundingBox boundingBox;
};

}  // namespace qm
