#pragma once

#include <GL/glew.h>

#include <cstddef>

namespace qm {

// Points a program's float attribute at the buffer bound to GL_ARRAY_BUFFER
// and enables it. An attribute the program does not use (location -1) is
// simply not fed.
void bindAttribute(GLuint program, const char* name, GLint components, GLsizei stride, std::size_t offset,
                   GLuint divisor = 0);

// A matrix attribute advanced once per instance, one location per column,
// packed column after column. An unused one is skipped as a whole: -1 plus
// a column number would name other attributes.
void bindInstanceMatrixAttribute(GLuint program, const char* name, int columns, int rows);

}  // namespace qm
