#pragma once

#include <string>

namespace qm {

// Writes the current context's default framebuffer (width x height, top row
// first in the file) as an RGB PNG. False, after saying why, when it cannot.
bool writeScreenshot(const std::string& path, int width, int height);

}  // namespace qm
