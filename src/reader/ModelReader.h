#pragma once

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <string>
#include <vector>

namespace qm {

// Triangulate, flip texture coordinates vertically; and first of all the
// reader's own validation (0x400), which refuses a scene whose faces name
// vertices it lacks before the steps after it read them out of bounds (found
// by fuzzing PLY). Valid files read as without it. Identical vertices are
// joined by the viewer's import, on the records it keeps.
inline constexpr unsigned modelReadFlags = 0x00800408;

// The model reader's entry points. Run them only in the reader's own
// process (see ReaderMain.cpp): a damaged file can crash or exhaust them.
// Each returns the read scene (owned by `reader`), or nothing with `error`
// set to the reason. An incomplete scene or one without a root node counts
// as a failure. `opened` gets every file the reader opened besides the
// model file, as absolute paths.
const aiScene* readModelFile(Assimp::Importer& reader, const std::string& path, std::string& error,
                             std::vector<std::string>* opened = nullptr);

}  // namespace qm
