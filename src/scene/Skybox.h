#pragma once

#include <GL/glew.h>

#include <memory>

#include "Shader.h"

namespace qm {

// The sky: a cube with corners at plus and minus 1, its cube-map texture and
// the program that draws it.
struct Skybox {
    Skybox() = default;
    // Builds the cube's vertex array and buffers; needs the current context.
    Skybox(GLuint cubeMap, std::shared_ptr<Shader> shader);
    // Owns its GL objects and the cube map: moved, not copied, and deleted with it.
    Skybox(Skybox&& other) noexcept;
    Skybox& operator=(Skybox&& other) noexcept;
    ~Skybox();

    GLuint vertexArray = 0;
    GLuint vertexBuffer = 0;
    GLuint indexBuffer = 0;
    std::shared_ptr<Shader> shader;
    GLuint cubeMap = 0;
};

// The sky program "QM/cubemap" with the asset directory's "cubemap/loadsa_colors_" faces.
Skybox createSkybox();

}  // namespace qm
