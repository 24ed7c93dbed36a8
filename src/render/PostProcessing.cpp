#include "PostProcessing.h"

namespace qm {

namespace {

void setSampler(Shader& shader, const char* name, GLint unit)
{
    glUniform1i(shader.uniform(name), unit);
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
    quad.init();
}

void PostProcessing::brightPass()
{
    glUseProgram(thresholdShader->program);
    setSampler(*thresholdShader, "image", 0);
    quad.draw();
}

void PostProcessing::blurPass(bool horizontal)
{
    glUseProgram(blurShader->program);
    setSampler(*blurShader, "image", 0);
    glUniform1i(blurShader->uniform("horizontal"), horizontal ? 1 : 0);
    quad.draw();
}

void PostProcessing::mergeHdr(float exposure)
{
    Shader& shader = *mergeShader;
    glUseProgram(shader.program);
    setSampler(shader, "original", 0);
    setSampler(shader, "blurred", 1);
    setSampler(shader, "positions", 2);
    glUniform1f(shader.uniform("exposure"), exposure);
    quad.draw();
}

void PostProcessing::depthOfField(float focusDepth, float maxDepth, float distanceScale)
{
    Shader& shader = *dofShader;
    glUseProgram(shader.program);
    setSampler(shader, "position", 0);
    setSampler(shader, "image", 1);
    setSampler(shader, "blurred", 2);
    glUniform1f(shader.uniform("focusDepth"), effectiveFocusDepth(focusDepth, maxDepth));
    glUniform1f(shader.uniform("maxDepth"), maxDepth);
    glUniform1f(shader.uniform("distanceScale"), distanceScale);
    quad.draw();
}

}  // namespace qm
