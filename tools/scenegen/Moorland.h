#pragma once

#include <filesystem>

namespace scenegen {

// Writes every asset of the moorland scene into `directory` (the viewer's
// "QM" folder): the model, the light sphere, the material table, textures,
// billboard pictures, sky faces and music. Deterministic. Returns false after
// printing the reason when something cannot be written.
bool generateMoorland(const std::filesystem::path& directory);

// The ground height at a world position.
float terrainHeight(float x, float z);

}  // namespace scenegen
