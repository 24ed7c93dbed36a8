#pragma once

#include <filesystem>

namespace scenegen {

// Writes every asset of the moorland scene into `directory` (the viewer's
// "QM" folder): the model, the light sphere, the material table, textures,
// billboard pictures, sky faces and music. Deterministic. Returns false after
// printing the reason when something cannot be written.
bool generateMoorland(const std::filesystem::path& directory);

// Writes a small model file for the same assets: one of each mesh in a
// ring in front of the start position on one tile of ground, with a few
// glimmets and lights. For checks that start the viewer many times.
bool writeSmallModel(const std::filesystem::path& file);

// Writes a model of about two million distinct triangles on the same
// assets: the ground in finer tiles, with the stone circle and the hamlet.
// For measuring the level-of-detail build of a large scene.
bool writeLargeModel(const std::filesystem::path& file);

// The ground height at a world position.
float terrainHeight(float x, float z);

}  // namespace scenegen
