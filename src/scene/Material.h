#pragma once

#include <memory>
#include <vector>

#include "Math.h"
#include "Shader.h"
#include "Texture.h"

namespace qm {

// Shading parameters, textures (diffuse, then specular, then normal maps)
// and the program that meshes of this material are set up and drawn with.
struct Material {
    glm::vec3 ambient{0.0f};
    std::vector<std::shared_ptr<Texture>> textures;
    float shininess = 0.0f;
    std::shared_ptr<Shader> shader;
};

}  // namespace qm
