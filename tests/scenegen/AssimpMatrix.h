#pragma once

#include <assimp/matrix4x4.h>

#include <glm/glm.hpp>

// The model reader's row-major matrix as a column-major GLM one.
inline glm::mat4 toGlm(const aiMatrix4x4& m)
{
    glm::mat4 out;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            out[column][row] = m[row][column];
    return out;
}
