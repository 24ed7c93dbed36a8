#pragma once

#include <GL/glew.h>

#include <array>
#include <filesystem>
#include <memory>
#include <string>

#include "GLObject.h"
#include "Math.h"
#include "Uniform.h"

namespace qm {

// A linked GL program, owned. Built only by loadShader and
// loadGeometryShader from "<name>.vert", "<name>.frag" and, for three
// stages, "<name>.geom".
struct Shader {
    GLProgram program;

    // The uniform's location, asked of GL on its first use: a uniform the
    // program lacks is reported then ("Couldn't locate <name> in shader.")
    // and gives -1, which GL ignores in uploads.
    GLint uniform(Uniform uniform);

private:
    static constexpr GLint unresolved = -2;
    std::array<GLint, std::size_t(Uniform::Count)> locations = [] {
        std::array<GLint, std::size_t(Uniform::Count)> all;
        all.fill(unresolved);
        return all;
    }();
};

// The program whose stages are the files NAME.vert, NAME.frag (and
// NAME.geom), read from `root` (the runtime data's folder; the working
// directory when empty). Messages name the files as `name` does.
// `defines` (whole lines, such as "#define DEFORMING\n") go into every
// stage after its first line, the #version line.
std::shared_ptr<Shader> loadShader(const std::string& name, const std::string& defines = "",
                                   const std::filesystem::path& root = {});
std::shared_ptr<Shader> loadGeometryShader(const std::string& name, const std::filesystem::path& root = {});

// The whole file, byte for byte (no newline translation). A file that cannot
// be opened is reported on standard error and read as empty source, so its
// stage fails to compile with the usual report. A line
// `#include "NAME"` is replaced by the file NAME beside it, whose own such
// lines are replaced in turn, so that programs can share functions (GLSL
// has no includes of its own).
std::string readShaderFile(const std::string& path, const std::filesystem::path& root = {});

// The line that turns on a vertex stage's deformation ("deformation.glsl").
inline constexpr const char* deformingDefine = "#define DEFORMING\n";
// The line that places the light sphere at one position for the stencilled path ("lightSphere.vert").
inline constexpr const char* stencilledDefine = "#define STENCILLED\n";

// Uploads to the program's uniform (see Shader::uniform).
void setUniformMat4(Shader& shader, const glm::mat4& matrix, Uniform uniform);
void setUniformVec3(Shader& shader, const glm::vec3& vector, Uniform uniform);

}  // namespace qm
