#pragma once

#include <GL/glew.h>

#include <memory>
#include <string>
#include <unordered_map>

#include "GLObject.h"
#include "Math.h"

namespace qm {

// A linked GL program, owned. Built only by loadShader and
// loadGeometryShader from "<name>.vert", "<name>.frag" and, for three
// stages, "<name>.geom".
struct Shader {
    GLProgram program;

    // The uniform's location, asked of GL once per name: a uniform the
    // program lacks is reported once ("Couldn't locate <name> in shader.")
    // and gives -1, which GL ignores in uploads.
    GLint uniform(const std::string& name);

private:
    std::unordered_map<std::string, GLint> locations;
};

// `defines` (whole lines, such as "#define DEFORMING\n") go into every
// stage after its first line, the #version line.
std::shared_ptr<Shader> loadShader(const std::string& name, const std::string& defines = "");
std::shared_ptr<Shader> loadGeometryShader(const std::string& name);

// The whole file, byte for byte (no newline translation). A file that cannot
// be opened is reported on standard error and read as empty source, so its
// stage fails to compile with the usual report. A line
// `#include "NAME"` is replaced by the file NAME beside it, whose own such
// lines are replaced in turn, so that programs can share functions (GLSL
// has no includes of its own).
std::string readShaderFile(const std::string& path);

// The line that turns on a vertex stage's deformation ("deformation.glsl").
inline constexpr const char* deformingDefine = "#define DEFORMING\n";

// Uploads to the program's uniform of that name (see Shader::uniform).
void setUniformMat4(Shader& shader, const glm::mat4& matrix, const char* name);
void setUniformVec3(Shader& shader, const glm::vec3& vector, const char* name);

}  // namespace qm
