#include "Shader.h"

#include <fstream>
#include <initializer_list>
#include <iostream>
#include <utility>

#include "VertexAttributes.h"

namespace qm {

namespace {

void reportCompileError(GLuint shaderObject)
{
    std::cerr << "Compilation Failed for Shader \"" << shaderObject << "\"" << std::endl;
    GLint logLength = 0;
    glGetShaderiv(shaderObject, GL_INFO_LOG_LENGTH, &logLength);
    std::string log(static_cast<std::size_t>(logLength > 0 ? logLength : 0), '\0');
    GLsizei written = 0;
    if (!log.empty())
        glGetShaderInfoLog(shaderObject, logLength, &written, log.data());
    log.resize(static_cast<std::size_t>(written));
    std::cout << log << "\n";
}

GLuint compileStage(GLenum type, const std::string& source)
{
    const GLuint shaderObject = glCreateShader(type);
    const GLchar* text = source.data();
    const auto length = static_cast<GLint>(source.size());
    glShaderSource(shaderObject, 1, &text, &length);
    glCompileShader(shaderObject);
    GLint status = 0;
    glGetShaderiv(shaderObject, GL_COMPILE_STATUS, &status);
    if (status == 0)
        reportCompileError(shaderObject);
    return shaderObject;
}

// Attaches the compiled stages in the order given, links and releases them;
// a stage that failed to compile still ends up in the program.
std::shared_ptr<Shader> linkProgram(std::initializer_list<GLuint> stages)
{
    auto shader = std::make_shared<Shader>();
    shader->program = GLProgram(glCreateProgram());
    for (GLuint stage : stages)
        glAttachShader(shader->program, stage);
    glLinkProgram(shader->program);
    for (GLuint stage : stages)
        glDeleteShader(stage);
    // The buffer textures' fixed units: left at 0, they would clash with a
    // material's picture there, which GL refuses to draw with.
    for (const auto& [sampler, unit] : {std::pair{"deformationBlocks", textureUnit::deformationBlocks},
                                        std::pair{"morphDeltas", textureUnit::morphDeltas}}) {
        const GLint location = glGetUniformLocation(shader->program, sampler);
        if (location == -1)
            continue;
        GLint current = 0;  // the caller's program stays in use
        glGetIntegerv(GL_CURRENT_PROGRAM, &current);
        glUseProgram(shader->program);
        glUniform1i(location, unit);
        glUseProgram(GLuint(current));
    }
    return shader;
}

}  // namespace

GLint Shader::uniform(Uniform uniform)
{
    GLint& location = locations[std::size_t(uniform)];
    if (location == unresolved) {
        location = glGetUniformLocation(program, uniformName(uniform));
        if (location == -1)
            std::cerr << "Couldn't locate " << uniformName(uniform) << " in shader.\n";
    }
    return location;
}

namespace {

std::string readWholeFile(const std::string& path, const std::filesystem::path& root)
{
    std::ifstream file(root / path, std::ios::binary | std::ios::ate);
    if (!file) {
        std::cerr << "Unable to open shader file \"" << path << "\"" << std::endl;
        return {};
    }
    const std::streamoff length = file.tellg();
    file.seekg(0, std::ios::beg);
    std::string source(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    file.read(source.data(), static_cast<std::streamsize>(source.size()));
    source.resize(static_cast<std::size_t>(file.gcount()));
    return source;
}

}  // namespace

std::string readShaderFile(const std::string& path, const std::filesystem::path& root)
{
    std::string source = readWholeFile(path, root);
    const std::string directive = "#include \"";
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    // Included files may include others; the count stops a file that includes itself.
    int expansions = 0;
    for (std::size_t at = source.find(directive); at != std::string::npos && expansions < 64;
         at = source.find(directive, at)) {
        const bool lineStart = at == 0 || source[at - 1] == '\n';
        const std::size_t close = source.find('"', at + directive.size());
        const std::size_t end = source.find('\n', at);
        if (!lineStart || close == std::string::npos || (end != std::string::npos && close > end)) {
            at += directive.size();
            continue;
        }
        const std::string name = source.substr(at + directive.size(), close - at - directive.size());
        const std::string included = readWholeFile(folder + name, root);
        source.replace(at, (end == std::string::npos ? source.size() : end) - at, included);
        ++expansions;
    }
    return source;
}

namespace {

std::string withDefines(std::string source, const std::string& defines)
{
    if (defines.empty())
        return source;
    const std::size_t lineEnd = source.find('\n');
    return source.insert(lineEnd == std::string::npos ? source.size() : lineEnd + 1, defines);
}

}  // namespace

std::shared_ptr<Shader> loadShader(const std::string& name, const std::string& defines, const std::filesystem::path& root)
{
    const std::string vertex = withDefines(readShaderFile(name + ".vert", root), defines);
    const std::string fragment = withDefines(readShaderFile(name + ".frag", root), defines);
    // A braced list is evaluated left to right: the stages compile in this order.
    return linkProgram({compileStage(GL_VERTEX_SHADER, vertex), compileStage(GL_FRAGMENT_SHADER, fragment)});
}

std::shared_ptr<Shader> loadGeometryShader(const std::string& name, const std::filesystem::path& root)
{
    const std::string vertex = readShaderFile(name + ".vert", root);
    const std::string fragment = readShaderFile(name + ".frag", root);
    const std::string geometry = readShaderFile(name + ".geom", root);
    return linkProgram({compileStage(GL_VERTEX_SHADER, vertex), compileStage(GL_GEOMETRY_SHADER, geometry),
                              compileStage(GL_FRAGMENT_SHADER, fragment)});
}

void setUniformMat4(Shader& shader, const glm::mat4& matrix, Uniform uniform)
{
    glUniformMatrix4fv(shader.uniform(uniform), 1, GL_FALSE, glm::value_ptr(matrix));
}

void setUniformVec3(Shader& shader, const glm::vec3& vector, Uniform uniform)
{
    glUniform3fv(shader.uniform(uniform), 1, glm::value_ptr(vector));
}

}  // namespace qm
