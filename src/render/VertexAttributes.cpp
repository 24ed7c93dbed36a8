#include "VertexAttributes.h"

namespace qm {

namespace {

void pointAttribute(GLuint location, GLint components, GLsizei stride, std::size_t offset, GLuint divisor)
{
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offset));
    if (divisor != 0)
        glVertexAttribDivisor(location, divisor);
}

}  // namespace

void bindAttribute(GLuint program, const char* name, GLint components, GLsizei stride, std::size_t offset,
                   GLuint divisor)
{
    const GLint location = glGetAttribLocation(program, name);
    if (location >= 0)
        pointAttribute(static_cast<GLuint>(location), components, stride, offset, divisor);
}

void bindInstanceMatrixAttribute(GLuint program, const char* name, int columns, int rows)
{
    const GLint location = glGetAttribLocation(program, name);
    if (location < 0)
        return;
    const auto stride = static_cast<GLsizei>(std::size_t(columns) * rows * sizeof(float));
    for (int c = 0; c < columns; ++c)
        pointAttribute(static_cast<GLuint>(location + c), rows, stride, std::size_t(c) * rows * sizeof(float), 1);
}

}  // namespace qm
