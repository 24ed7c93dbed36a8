#pragma once

namespace qm {

// What a material's picture is for; the programs number their samplers per kind.
enum class TextureKind { Diffuse = 0, Specular = 1, Normal = 2 };

}  // namespace qm
