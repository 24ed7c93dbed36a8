#pragma once

#include <filesystem>

namespace scenegen {

// Synthesises the viewer's background music, a gentle lullaby, and writes it
// as an MP3 file. Returns false and prints the reason and the file name on
// standard error when it cannot be written or encoded.
bool writeLullaby(const std::filesystem::path& mp3Path);

}  // namespace scenegen
