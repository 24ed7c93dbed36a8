#pragma once

#include <string_view>

namespace qm {

// The model reader descends nested FBX records and JSON values recursively,
// so a file nested deeply enough (a few bytes a level suffice) exhausts the
// stack. Real models nest a handful of levels; the import refuses files
// nested deeper than this.
inline constexpr int maxModelNesting = 1024;

// Whether the file nests deeper than `bound` levels where the reader's
// recursive parsers read it:
// - binary FBX (by its signature) is walked record by record as the reader
//   walks it; a file the reader will reject for its layout counts only as
//   deep as the walk got;
// - binary glTF: the JSON of its first chunk;
// - text: up to its first zero byte, where the reader's text parsers stop.
//   A text that opens with "{" or "[" is JSON (braces and brackets outside
//   strings; the FBX reader stops at such a text's first token); any other
//   is read as ASCII FBX (braces outside quoted strings and comments).
// Binary data is never counted: a PLY file's data after its header, a binary
// STL file (told by its size) and whatever follows a zero byte.
bool nestsDeeperThan(std::string_view file, int bound);

}  // namespace qm
