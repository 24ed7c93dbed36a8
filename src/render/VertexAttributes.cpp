#include "VertexAttributes.h"

namespace qm {

void feedAttribute(GLuint location, GLint components, GLsizei stride, std::size_t offset, GLuint divisor, GLenum type)
{
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, components, type, type == GL_FLOAT ? GL_FALSE : GL_TRUE, stride,
                          reinterpret_cast<const void*>(offset));
    if (divisor != 0)
        glVertexAttribDivisor(location, divisor);
}

void feedIntegerAttribute(GLuint location, GLint components, GLsizei stride, std::size_t offset, GLenum type)
{
    glEnableVertexAttribArray(location);
    glVertexAttribIPointer(location, components, type, stride, reinterpret_cast<const void*>(offset));
}

void feedInstanceMatrix(GLuint location, int columns, int rows)
{
    const auto stride = static_cast<GLsizei>(std::size_t(columns) * rows * sizeof(float));
    for (int c = 0; c < columns; ++c)
        feedAttribute(location + GLuint(c), rows, stride, std::size_t(c) * rows * sizeof(float), 1);
}

}  // namespace qm
