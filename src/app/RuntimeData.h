#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qm {

// The viewer's runtime data is the folder that holds "QM/": the GLSL
// programs, the light sphere, the sky, the music, the shipped scene and its
// table. The scene names all of them relative to that folder, and so do the
// messages, wherever the viewer was started from; the folder is handed to
// what reads them.

// Where to look, in order. When `override` (the QUILLMOOR_DATA variable) is
// set it is the only place: a wrong value is reported, not passed over.
// Otherwise the executable's own folder (the build tree) and the install
// prefix's data folder beside it (PREFIX/share/quillmoor for PREFIX/bin).
std::vector<std::filesystem::path> runtimeDataCandidates(const char* override,
                                                         const std::filesystem::path& executableDirectory);

// The first candidate that holds a "QM" folder; nothing when none does.
std::optional<std::filesystem::path> findRuntimeData(const std::vector<std::filesystem::path>& candidates);

// The runtime data's folder, in full, from the environment and the
// executable's place; nothing, after saying where it looked, when there is
// none.
std::optional<std::filesystem::path> runtimeData();

// The model reader's executable, "quillmoor-reader": in the install
// prefix's helper folder (PREFIX/libexec/quillmoor for PREFIX/bin), else in
// the viewer's own folder (the build tree).
std::string readerProgram();

}  // namespace qm
