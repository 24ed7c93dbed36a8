#pragma once

// Vector and matrix types of the whole system: GLM's single-precision vec3,
// mat3 and mat4, column-major, right-handed, clip depth -1 to 1 (GLM's
// defaults, which match OpenGL's conventions).
#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace qm {

// pi / 180 as the system rounds it; every degree-to-radian conversion uses it.
inline constexpr float degreesToRadians = 0.017453292f;

}  // namespace qm
