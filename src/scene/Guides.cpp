#include "Guides.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// The model's footprint on the ground, the larger of its two sides.
float footprint(const BoundingBox& box)
{
    return std::max(box.max.x - box.min.x, box.max.z - box.min.z);
}

}  // namespace

float gridSpacing(const BoundingBox& model)
{
    const float extent = footprint(model);
    if (!(extent > 0.0f) || !std::isfinite(extent))
        return 1.0f;
    return std::pow(10.0f, std::round(std::log10(extent / 10.0f)));
}

void appendGuideLines(const Guides& guides, std::vector<GuideVertex>& lines)
{
    if (guides.model.isEmpty())
        return;
    const BoundingBox& box = guides.model;
    const float extent = footprint(box);
    if (guides.grid) {
        const float spacing = gridSpacing(box);
        // Lines on whole multiples of the spacing, so that they mark metres from the origin.
        const glm::vec2 middle = glm::round(glm::vec2(box.center.x, box.center.z) / spacing) * spacing;
        // A spacing near a tenth of the extent keeps this to a few dozen lines.
        const int half = int(std::ceil(0.75f * extent / spacing)) + 1;
        const float reach = float(half) * spacing;
        const float y = box.min.y;
        const glm::vec3 grey(0.45f);
        for (int i = -half; i <= half; ++i) {
            const float along = float(i) * spacing;
            lines.push_back({{middle.x + along, y, middle.y - reach}, grey});
            lines.push_back({{middle.x + along, y, middle.y + reach}, grey});
            lines.push_back({{middle.x - reach, y, middle.y + along}, grey});
            lines.push_back({{middle.x + reach, y, middle.y + along}, grey});
        }
    }
    if (guides.axes) {
        // Past the model's farthest corner from the origin, so that it shows beside the model.
        const float length = std::max(glm::length(box.max), glm::length(box.min)) * 1.1f + gridSpacing(box);
        for (int axis = 0; axis < 3; ++axis) {
            glm::vec3 end(0.0f), colour(0.15f);
            end[axis] = length;
            colour[axis] = 1.0f;
            lines.push_back({glm::vec3(0.0f), colour});
            lines.push_back({end, colour});
        }
    }
}

}  // namespace qm
