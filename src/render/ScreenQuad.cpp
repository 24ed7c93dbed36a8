#include "ScreenQuad.h"

#include "VertexAttributes.h"

namespace qm {

namespace {

constexpr float quadVertices[6 * 4] = {
    -1, 1, 0, 1, -1, -1, 0, 0, 1, -1, 1, 0, -1, 1, 0, 1, 1, -1, 1, 0, 1, 1, 1, 1,
};

}  // namespace

void ScreenQuad::init()
{
    vertexArray = makeVertexArray();
    vertexBuffer = makeBuffer();
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(quadVertices), quadVertices, GL_STATIC_DRAW);
    feedAttribute(attribute::position, 2, 16, 0);
    feedAttribute(attribute::quadTexCoord, 2, 16, 8);
    glBindVertexArray(0);
}

void ScreenQuad::draw() const
{
    glBindVertexArray(vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glBindVertexArray(0);
}

}  // namespace qm
