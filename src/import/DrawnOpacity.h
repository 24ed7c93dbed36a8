#pragma once

#include <string>

#include "SceneData.h"

namespace qm {

// A material's opacity as drawn. Exporters and readers disagree about what
// transparency means (COLLADA's A_ONE and RGB_ZERO modes, FBX's
// TransparencyFactor against Opacity, MTL's d against Tr), so a classic
// material with no opacity picture that comes out fully transparent is a
// mix-up of conventions far more often than an invisible surface: taken
// literally, it makes whole models vanish. Such a material is drawn opaque;
// `why` then says so in one line naming it. Physically based materials and
// materials with an opacity picture keep their opacity.
float drawnOpacity(const SceneMaterial& material, std::string& why);

}  // namespace qm
