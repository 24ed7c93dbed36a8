#pragma once

#include <string>
#include <vector>

namespace qm {

// The keys and buttons of an opened model, "keys - what they do": those of
// the orbit camera or the fly camera, then those both share. One list for
// the console at the start and for the help card (F1).
std::vector<std::string> controlLines(bool flying);

}  // namespace qm
