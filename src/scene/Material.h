#pragma once

#include <memory>
#include <vector>

#include "Math.h"

namespace qm {

struct Shader;
struct Texture;

// Shading parameters, textures (diffuse, then specular, then normal maps)
// and the program that meshes of this material are set up and drawn with;
// the textures and the program are the renderer's.
struct Material {
    glm::vec3 ambient{0.0f};
    std::vector<std::shared_ptr<Texture>> textures;
    float shininess = 0.0f;
    std::shared_ptr<Shader> shader;
};

}  // namespace qm
