#pragma once

#include "SceneData.h"

namespace qm {

// Specular-glossiness as metal-rough, for both readers: the diffuse colour
// (already in `to`) becomes the base colour, roughness is one minus
// glossiness, and a material whose specular colour (already in `to`) is
// brighter than a dielectric's reflectance (4%) counts as metal, in
// proportion. Its pictures stay in their classic slots: the diffuse picture
// serves as the base colour, the specular-glossiness picture is not used.
void convertSpecularGlossiness(SceneMaterial& to, float glossiness);

}  // namespace qm
