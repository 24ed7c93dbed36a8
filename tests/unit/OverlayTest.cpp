#include <gtest/gtest.h>

#include "Overlay.h"

namespace {

// The information panel says what the file holds as the console does, and
// the frame's time, rate and the memory in whole units.
TEST(Overlay, InformationPanelLines)
{
    qm::ModelSummary model;
    model.file = "/models/Duck.glb";
    model.fromCache = true;
    model.meshes = 2;
    model.triangles = 4212;
    model.lines = 3;
    model.points = 0;
    model.materials = 2;
    model.physicallyBased = 1;
    model.embeddedPictures = 1;
    model.lights = 0;
    model.clips = 2;
    model.levelChains = 2;
    model.units = "Units and axes: 1 unit = 1 m (none recorded, taken as metres), up +Y (none recorded)";
    EXPECT_EQ(qm::infoLines(model, 0.025f, std::uint64_t(150) << 20),
              (std::vector<std::string>{"Duck.glb (GLB), from the cache", "2 meshes: 4212 triangles, 3 lines, 0 points",
                                        "2 materials, 1 physically based; 1 pictures inside the file",
                                        "0 lights, 2 animations", "Levels of detail for 2 meshes", model.units,
                                        "Frame: 25.0 ms, 40 frames a second", "Memory: 150 MiB"}));
    EXPECT_GT(qm::residentMemory(), std::uint64_t(1) << 20) << "a test process takes more than a mebibyte";
}

}  // namespace
