#pragma once

#include <optional>
#include <string>

namespace qm {

// Where the picture a model file names is on this machine, looked for in the
// model's folder: the path as written (either slash), then its base name,
// then the base name in any letter case in that folder and in its immediate
// subfolders; files made on Windows name "Textures\Wood.PNG" for
// "textures/wood.png". Nothing when none of these is a file.
std::optional<std::string> findTextureFile(const std::string& directory, const std::string& named);

}  // namespace qm
