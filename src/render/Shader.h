#pragma once

#include <GL/glew.h>

#include <memory>
#include <string>

#include "GLObject.h"
#include "Math.h"

namespace qm {

// A linked GL program, owned. Built only by loadShader and
// loadGeometryShader from "<name>.vert", "<name>.frag" and, for three
// stages, "<name>.geom".
struct Shader {
    GLProgram program;
};

std::shared_ptr<Shader> loadShader(const std::string& name);
std::shared_ptr<Shader> loadGeometryShader(const std::string& name);

// The whole file, byte for byte (no newline translation). A file that cannot
// be opened is reported on standard error and read as empty source, so its
// stage fails to compile with the usual report.
std::string readShaderFile(const std::string& path);

// The uniform's location, looked up by name on every call; a uniform the
// program lacks is reported ("Couldn't locate <name> in shader.") and -1
// returned, which GL ignores in uploads.
GLint locateUniform(GLuint program, const char* name);

// Look the uniform up by name on every call and report one the program lacks;
// the upload is issued either way (GL ignores location -1).
void setUniformMat4(GLuint program, const glm::mat4& matrix, const char* name);
void setUniformVec3(GLuint program, const glm::vec3& vector, const char* name);

}  // namespace qm
