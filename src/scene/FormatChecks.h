#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Damage that the model reader's own parsers do not survive, found before
// they see the file. Each check covers one kind of damage that fuzzing the
// reader turned up; the reader reports every other kind itself.
//  - OBJ: a material file (its "mtllib") with a texture statement before
//    its first "newmtl" (from memory the reader takes the OBJ bytes
//    themselves for the material file);
//  - Collada: an index list (<p>, <v>, <vcount>) with something other than
//    numbers in it, which the reader takes for an index in the billions;
//    an array, accessor or input without an attribute the schema requires;
//  - PLY: a header that is not plain text or names an unknown format;
//    binary data shorter than the header declares;
//  - binary glTF: a chunk longer than the file, which the reader allocates
//    before it finds out.
// The checks go by content, whatever the file's name: when the reader its
// name picks refuses it, the model reader tries every other reader that
// recognises it. `directory` is where an OBJ's material files are (empty:
// the file came from memory). The reason, or nothing when no such damage is
// found.
std::optional<std::string> damageBeforeReading(std::string_view bytes, const std::string& directory);

}  // namespace qm
