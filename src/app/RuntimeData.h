#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qm {

// The viewer's runtime data is the folder that holds "QM/": the GLSL
// programs, the light sphere, the sky, the music, the shipped scene and its
// table. The scene names all of them relative to that folder, so the viewer
// makes it the working directory before anything is loaded; the messages
// then name files as the scene does, wherever the viewer was started from.

// Where to look, in order. When `override` (the QUILLMOOR_DATA variable) is
// set it is the only place: a wrong value is reported, not passed over.
// Otherwise the executable's own folder (the build tree) and the install
// prefix's data folder beside it (PREFIX/share/quillmoor for PREFIX/bin).
std::vector<std::filesystem::path> runtimeDataCandidates(const char* override,
                                                         const std::filesystem::path& executableDirectory);

// The first candidate that holds a "QM" folder; nothing when none does.
std::optional<std::filesystem::path> findRuntimeData(const std::vector<std::filesystem::path>& candidates);

// Finds the runtime data from the environment and the executable's place
// and makes it the working directory. False, after saying where it looked,
// when there is none.
bool enterRuntimeData();

// The model reader's executable, "quillmoor-reader": in the install
// prefix's helper folder (PREFIX/libexec/quillmoor for PREFIX/bin), else in
// the viewer's own folder (the build tree).
std::string readerProgram();

}  // namespace qm
