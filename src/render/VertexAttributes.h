#pragma once

#include <GL/glew.h>

#include <cstddef>

namespace qm {

// The attribute locations every program declares with layout(location = N)
// and every vertex array feeds, so that a mesh's buffers suit any program.
namespace attribute {
// Meshes: per vertex, then the per-instance model-view matrix (four
// locations) and normal matrix (three).
inline constexpr GLuint position = 0;
inline constexpr GLuint normal = 1;
inline constexpr GLuint texCoord = 2;
inline constexpr GLuint modelView = 3;
inline constexpr GLuint normalMatrix = 7;
inline constexpr GLuint colour = 10;
// Skinned meshes only: four bone numbers (integers) and their weights.
inline constexpr GLuint bones = 11;
inline constexpr GLuint boneWeights = 12;
// The second set of texture coordinates.
inline constexpr GLuint texCoord1 = 13;
// Light volumes: the sphere's corner, then each placement's world position
// and direction.
inline constexpr GLuint worldPosition = 1;
inline constexpr GLuint worldDirection = 2;
// Full-screen quads: the corner (at `position`), then its texture coordinate.
inline constexpr GLuint quadTexCoord = 1;
}  // namespace attribute

// The texture units of the buffer textures a mesh's vertex stage reads, set
// in every program once at link (see Shader.h), above the units materials
// bind from 0 up.
namespace textureUnit {
inline constexpr GLint deformationBlocks = 14;
inline constexpr GLint morphDeltas = 15;
}  // namespace textureUnit

// Points the attribute at the buffer bound to GL_ARRAY_BUFFER and enables it:
// floats, or bytes read as 0 to 1 when `type` is GL_UNSIGNED_BYTE.
void feedAttribute(GLuint location, GLint components, GLsizei stride, std::size_t offset, GLuint divisor = 0,
                   GLenum type = GL_FLOAT);

// The same for an integer attribute, read as integers (not converted).
void feedIntegerAttribute(GLuint location, GLint components, GLsizei stride, std::size_t offset, GLenum type);

// A matrix attribute advanced once per instance, one location per column,
// packed column after column.
void feedInstanceMatrix(GLuint location, int columns, int rows);

}  // namespace qm
