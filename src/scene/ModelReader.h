#pragma once

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <string>
#include <string_view>

namespace qm {

// Triangulate, flip texture coordinates vertically; and first of all the
// reader's own validation (0x400), which refuses a scene whose faces name
// vertices it lacks before the steps after it read them out of bounds (found
// by fuzzing PLY). Valid files read as without it. Identical vertices are
// joined by the import, on the records it keeps (see VertexJoin.h).
inline constexpr unsigned modelReadFlags = 0x00800408;

// The model reader's entry points for every caller, guarded so that no
// damaged file can end the process:
// - Files nested deeper than maxModelNesting are refused before the reader
//   sees them (its parser would exhaust the stack).
// - The reader is built with its internal checks on, and a failed check
//   aborts the process. This module replaces the check's handler with one
//   that throws (see ModelReader.cpp), and the reader reports the throw as a
//   reading error like any other.
// Each returns the read scene (owned by `reader`), or nothing with `error`
// set to the reason. An incomplete scene or one without a root node counts
// as a failure.
const aiScene* readModelFile(Assimp::Importer& reader, const std::string& path, std::string& error);

// The same for a file held in memory. `hint` is a file extension ("fbx"),
// or empty to let the reader recognise the format by its content.
const aiScene* readModelFromMemory(Assimp::Importer& reader, std::string_view bytes, const char* hint,
                                   std::string& error);

}  // namespace qm
