#pragma once

#include <string_view>

namespace qm {

// The model reader descends nested FBX records recursively, so a file nested
// deeply enough (a few bytes a level suffice) exhausts the stack. Real models
// nest a handful of levels; the import refuses files nested deeper than this.
inline constexpr int maxModelNesting = 1024;

// Whether the file's records nest deeper than `bound` levels. Binary FBX (by
// its signature) is walked record by record as the reader walks it; anything
// else is read as ASCII FBX, whose levels are braces outside quoted strings
// and comments. A file the reader will reject for its layout counts only as
// deep as the walk got.
bool nestsDeeperThan(std::string_view file, int bound);

}  // namespace qm
