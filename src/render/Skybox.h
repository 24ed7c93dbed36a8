#pragma once

#include <GL/glew.h>

#include <memory>

#include "CubeFaces.h"
#include "GLObject.h"
#include "Shader.h"

namespace qm {

// The sky: a cube with corners at plus and minus 1, its cube-map texture and
// the program that draws it.
struct Skybox {
    Skybox() = default;
    // Builds the cube's vertex array and buffers; needs the current context.
    // Owns its GL objects and the cube map: moved, not copied, and deleted with it.
    Skybox(GLTexture cubeMap, std::shared_ptr<Shader> shader);

    GLVertexArray vertexArray;
    GLBuffer vertexBuffer;
    GLBuffer indexBuffer;
    std::shared_ptr<Shader> shader;
    GLTexture cubeMap;
};

// The sky drawn with `shader`, its cube map made from the six faces.
std::shared_ptr<Skybox> makeSkybox(const CubeFaces& faces, std::shared_ptr<Shader> shader);

}  // namespace qm
