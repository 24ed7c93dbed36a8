#include "PostProcessing.h"

namespace qm {

namespace {

void setSampler(GLuint program, const char* name, GLint unit)
{
    glUniform1i(glGetUniformLocation(program, name), unit);
}

}  // namespace

float effectiveFocusDepth(float focusDepth, float maxDepth)
{
    const float gap = maxDepth - focusDepth;
    return static_cast<double>(gap) < 0.001 ? maxDepth - 1.0f : focusDepth;
}

PostProcessing::PostProcessing()
    : thresholdShader(loadShader("QM/postprocessing/thresholdSeparate")),
      blurShader(loadShader("QM/postprocessing/blur")),
      mergeShader(loadShader("QM/postprocessing/mergeHDR")),
      dofShader(loadShader("QM/postprocessing/dof"))
{
    quad.init(thresholdShader->program);
}

void PostProcessing::brightPass()
{
    glUseProgram(thresholdShader->program);
    setSampler(thresholdShader->program, "image", 0);
    quad.draw();
}

void PostProcessing::blurPass()
{
    glUseProgram(blurShader->program);
    setSampler(blurShader->program, "image", 0);
    glUniform1i(glGetUniformLocation(blurShader->program, "horizontal"), horizontal ? 1 : 0);
    quad.draw();
    horizontal = !horizontal;
}

void PostProcessing::mergeHdr(float exposure)
{
    const GLuint program = mergeShader->program;
    glUseProgram(program);
    setSampler(program, "original", 0);
    setSampler(program, "blurred", 1);
    glUniform1f(glGetUniformLocation(program, "exposure"), exposure);
    quad.draw();
}

void PostProcessing::depthOfField(float focusDepth, float maxDepth, float distanceScale)
{
    const GLuint program = dofShader->program;
    glUseProgram(program);
    setSampler(program, "position", 0);
    setSampler(program, "image", 1);
    setSampler(program, "blurred", 2);
    glUniform1f(glGetUniformLocation(program, "focusDepth"), effectiveFocusDepth(focusDepth, maxDepth));
    glUniform1f(glGetUniformLocation(program, "maxDepth"), maxDepth);
    glUniform1f(glGetUniformLocation(program, "distanceScale"), distanceScale);
    quad.draw();
}

}  // namespace qm
