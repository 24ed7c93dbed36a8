#pragma once

#include <ctime>
#include <string>

namespace qm {

// Where F12 saves the view of `modelFile` taken at `when`: the user's
// pictures folder ($XDG_PICTURES_DIR, else the one user-dirs.dirs names,
// else the home folder), a name made of the model's and the local time's,
// "duck-2026-12-10-15.30.05.png". Empty when there is no home folder.
std::string viewPicturePath(const std::string& modelFile, std::time_t when);

}  // namespace qm
