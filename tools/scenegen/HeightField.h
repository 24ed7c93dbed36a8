#pragma once

#include <filesystem>

namespace scenegen {

// Writes a square height field of `side` x `side` vertices, 10 cm apart,
// with rolling hills: 2 (side - 1)^2 triangles, as binary PLY, binary STL
// or binary glTF by the file name's extension (".ply", ".stl", ".glb").
// Terrain, scan and CAD exports look like this: large, binary, and their
// floats hold every byte value, "{" included. Deterministic. Returns false
// after printing the reason when the file cannot be written.
bool writeHeightField(const std::filesystem::path& file, int side);

}  // namespace scenegen
