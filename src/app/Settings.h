#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace qm {

// The settings file: default values for the command-line options, one
// `name = value` a line, the name being the option's without its dashes
// (`resolution = 1280x720`, `up = z`), `yes` or `no` for the switches
// `fullscreen`, `cache`, `watch`, `grid` and `axes`. `#` starts a comment; a `[.ext]` line starts a
// section whose lines apply only to model files of that extension (in any
// letter case). Relative paths are taken from the file's folder. The
// command line overrides it; `--no-config` leaves it unread.

// $XDG_CONFIG_HOME/quillmoor/config, or ~/.config/quillmoor/config without
// it (or with a relative one); empty when neither variable is usable.
std::string settingsPath();

// The settings that apply to a run on `model` (empty: the moor), as the
// command-line arguments they stand for, to go before the user's own. A
// line that cannot be read, names no option or gives a value the option
// does not take is reported on `errors` as "FILE:LINE: reason; ..." and
// skipped; a model's option (`up`, `lod`, ...) is skipped quietly for the moor.
std::vector<std::string> readSettings(std::istream& in, const std::string& path, const std::string& model,
                                      std::ostream& errors);

}  // namespace qm
