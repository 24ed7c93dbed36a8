#pragma once

#include <vector>

#include "BoundingBox.h"
#include "DrawList.h"

namespace qm {

// What an opened model can be shown with to judge its size and its
// placing: a ground grid under it (G) and the world's axes at the origin
// (X), unlit lines in metres.
struct Guides {
    // The model's box in the world, over its clips.
    BoundingBox model;
    bool grid = false;
    bool axes = false;
};

// The distance between the grid's lines under a model: a metre, or the
// power of ten of metres nearest a tenth of the wider side of its footprint.
float gridSpacing(const BoundingBox& model);

// The lines of what is shown, their ends in pairs, into `lines`: the grid
// on the ground under the model, round its footprint and half as wide
// again; the axes red, green and blue, from the origin past the model.
void appendGuideLines(const Guides& guides, std::vector<GuideVertex>& lines);

}  // namespace qm
