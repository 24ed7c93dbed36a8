#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

#include "Shader.h"
#include "TestApplication.h"
#include "VertexAttributes.h"

namespace {

namespace fs = std::filesystem;
using testing::internal::CaptureStderr;
using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStderr;
using testing::internal::GetCapturedStdout;

const char* const vertexSource =
    "#version 330 core\n"
    "layout(location = 0) in vec3 v_position;\n"
    "uniform mat4 projection;\n"
    "uniform vec3 worldPosition;\n"
    "void main() { gl_Position = projection * vec4(v_position + worldPosition, 1.0); }\n";
const char* const fragmentSource =
    "#version 330 core\n"
    "out vec4 colour;\n"
    "void main() { colour = vec4(1.0); }\n";
const char* const geometrySource =
    "#version 330 core\n"
    "layout(points) in;\n"
    "layout(points, max_vertices = 1) out;\n"
    "void main() { gl_Position = gl_in[0].gl_Position; EmitVertex(); EndPrimitive(); }\n";

class ShaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        testApplication();
        directory = fs::temp_directory_path() /
                    ("qm-shader-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(directory);
    }
    void TearDown() override { fs::remove_all(directory); }

    // Writes "<name><extension>" and returns the program's base path.
    std::string write(const std::string& name, const std::string& extension, const std::string& text)
    {
        std::ofstream(directory / (name + extension), std::ios::binary) << text;
        return (directory / name).string();
    }

    static GLint programParameter(GLuint program, GLenum parameter)
    {
        GLint value = 0;
        glGetProgramiv(program, parameter, &value);
        return value;
    }

    fs::path directory;
};

// Both kinds of program link without a word from files with Windows line
// ends, which reach GL byte for byte; a program goes with its last owner.
TEST_F(ShaderTest, LinksTwoAndThreeStageProgramsFromWindowsLineEnds)
{
    const auto crlf = [](const char* source) { return std::regex_replace(source, std::regex("\n"), "\r\n"); };
    const std::string base = write("good", ".vert", crlf(vertexSource));
    write("good", ".frag", crlf(fragmentSource));
    write("good", ".geom", crlf(geometrySource));
    EXPECT_EQ(qm::readShaderFile(base + ".vert"), crlf(vertexSource));

    CaptureStderr();
    auto twoStage = qm::loadShader(base);
    const auto threeStage = qm::loadGeometryShader(base);
    EXPECT_EQ(GetCapturedStderr(), "");
    ASSERT_TRUE(twoStage && threeStage);
    EXPECT_EQ(programParameter(twoStage->program, GL_LINK_STATUS), GL_TRUE);
    EXPECT_EQ(programParameter(threeStage->program, GL_LINK_STATUS), GL_TRUE);
    EXPECT_EQ(programParameter(threeStage->program, GL_ATTACHED_SHADERS), 3);

    const GLuint name = twoStage->program;
    twoStage.reset();
    EXPECT_EQ(glIsProgram(name), GL_FALSE);
}

// A compile error in the system's words, the driver's log after it; the
// program is kept, unlinked. (Missing files, named likewise, are the
// bad-input rows "glsl-including" and "glsl-included".)
TEST_F(ShaderTest, CompileErrorIsReportedAndTheProgramKept)
{
    const std::string base = write("broken", ".vert", vertexSource);
    write("broken", ".frag", "#version 330 core\nvoid main() { this is not glsl }\n");

    CaptureStderr();
    CaptureStdout();
    const auto shader = qm::loadShader(base);
    std::cout.flush();
    const std::string log = GetCapturedStdout();
    const std::string errors = GetCapturedStderr();

    EXPECT_TRUE(std::regex_match(errors, std::regex("Compilation Failed for Shader \"[0-9]+\"\n"))) << errors;
    EXPECT_GT(log.size(), 1u) << "the driver's log follows on standard output";
    EXPECT_EQ(log.back(), '\n');
    ASSERT_TRUE(shader);
    EXPECT_EQ(glIsProgram(shader->program), GL_TRUE);
    EXPECT_EQ(programParameter(shader->program, GL_LINK_STATUS), GL_FALSE);
}

TEST_F(ShaderTest, UniformUploadsReportMissingNamesOncePerProgram)
{
    const std::string base = write("uniforms", ".vert", vertexSource);
    write("uniforms", ".frag", fragmentSource);
    const auto shader = qm::loadShader(base);
    glUseProgram(shader->program);

    const glm::mat4 matrix = glm::translate(glm::mat4(1.0f), glm::vec3(1.0f, 2.0f, 3.0f));
    const glm::vec3 offset(4.0f, 5.0f, 6.0f);
    CaptureStderr();
    qm::setUniformMat4(*shader, matrix, qm::Uniform::projection);
    qm::setUniformVec3(*shader, offset, qm::Uniform::worldPosition);
    EXPECT_EQ(GetCapturedStderr(), "");

    GLfloat uploaded[16] = {};
    glGetUniformfv(shader->program, glGetUniformLocation(shader->program, "projection"), uploaded);
    EXPECT_EQ(uploaded[13], 2.0f);
    glGetUniformfv(shader->program, glGetUniformLocation(shader->program, "worldPosition"), uploaded);
    EXPECT_EQ(uploaded[2], 6.0f);

    CaptureStderr();
    // Every frame asks again: the report comes once per program, not per frame.
    for (int frame = 0; frame < 3; ++frame) {
        qm::setUniformMat4(*shader, matrix, qm::Uniform::view);
        qm::setUniformVec3(*shader, offset, qm::Uniform::pointLightColor);
    }
    const auto other = qm::loadShader(base);
    qm::setUniformMat4(*other, matrix, qm::Uniform::view);
    EXPECT_EQ(GetCapturedStderr(),
              "Couldn't locate view in shader.\n"
              "Couldn't locate pointLight.color in shader.\n"
              "Couldn't locate view in shader.\n");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "location -1 is ignored by GL";
    glUseProgram(0);
}

TEST_F(ShaderTest, IncludeLinesAreReplacedByTheFileBeside)
{
    write("shared", ".glsl", "float shared() { return 1.0; }\n");
    const std::string base = write("including", ".frag",
                                   "#version 330 core\n#include \"shared.glsl\"\n"
                                   "// #include \"shared.glsl\"\nvoid main() {}\n");
    EXPECT_EQ(qm::readShaderFile(base + ".frag"),
              "#version 330 core\nfloat shared() { return 1.0; }\n\n// #include \"shared.glsl\"\nvoid main() {}\n");
}

// Every program of the runtime data, with the files it includes, compiles
// and links without a word: the shipped scene's and those only a model of
// one's own needs.
TEST_F(ShaderTest, EveryProgramOfTheRuntimeDataBuilds)
{
    int programs = 0;
    int deformingPrograms = 0;
    int stencilledPrograms = 0;
    for (const auto& entry : fs::recursive_directory_iterator(QM_GLSL_DIRECTORY)) {
        if (entry.path().extension() != ".vert")
            continue;
        const std::string base = (entry.path().parent_path() / entry.path().stem()).string();
        const bool threeStages = fs::exists(base + ".geom");
        SCOPED_TRACE(base);
        CaptureStdout();
        CaptureStderr();
        const auto shader = threeStages ? qm::loadGeometryShader(base) : qm::loadShader(base);
        // A mesh's program also builds in its deforming form, with the buffer textures on their units,
        // and the light sphere's in its stencilled form.
        const std::string vertex = qm::readShaderFile(entry.path().string());
        const bool mesh = vertex.find("#ifdef DEFORMING") != std::string::npos;
        const auto deforming = mesh ? qm::loadShader(base, qm::deformingDefine) : nullptr;
        const bool stencilled = vertex.find("#ifdef STENCILLED") != std::string::npos;
        const auto stencilledForm = stencilled ? qm::loadShader(base, qm::stencilledDefine) : nullptr;
        EXPECT_EQ(GetCapturedStderr(), "");
        EXPECT_EQ(GetCapturedStdout(), "");
        EXPECT_EQ(programParameter(shader->program, GL_LINK_STATUS), GL_TRUE);
        if (stencilledForm) {
            EXPECT_EQ(programParameter(stencilledForm->program, GL_LINK_STATUS), GL_TRUE);
            ++stencilledPrograms;
        }
        ++programs;
        if (!deforming)
            continue;
        EXPECT_EQ(programParameter(deforming->program, GL_LINK_STATUS), GL_TRUE);
        GLint unit = -1;
        glGetUniformiv(deforming->program, glGetUniformLocation(deforming->program, "deformationBlocks"), &unit);
        EXPECT_EQ(unit, qm::textureUnit::deformationBlocks);
        EXPECT_EQ(glGetUniformLocation(shader->program, "deformationBlocks"), -1) << "the rigid form deforms";
        ++deformingPrograms;
    }
    EXPECT_GE(programs, 15);
    // The four classic mesh programs, the physically based, unlit and forward ones.
    EXPECT_EQ(deformingPrograms, 7);
    EXPECT_EQ(stencilledPrograms, 1) << "the light sphere";
}

}  // namespace
