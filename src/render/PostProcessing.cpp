#include "PostProcessing.h"

namespace qm {

namespace {

void setSampler(Shader& shader, Uniform sampler, GLint unit)
{
    glUniform1i(shader.uniform(sampler), unit);
}

}  // namespace

float effectiveFocusDepth(float focusDepth, float maxDepth)
{
    const float gap = maxDepth - focusDepth;
    return static_cast<double>(gap) < 0.001 ? maxDepth - 1.0f : focusDepth;
}

PostProcessing::PostProcessing(const std::filesystem::path& dataRoot)
    : thresholdShader(loadShader("QM/postprocessing/thresholdSeparate", "", dataRoot)),
      blurShader(loadShader("QM/postprocessing/blur", "", dataRoot)),
      mergeShader(loadShader("QM/postprocessing/mergeHDR", "", dataRoot)),
      dofShader(loadShader("QM/postprocessing/dof", "", dataRoot))
{
    quad.init();
}

void PostProcessing::brightPass()
{
    glUseProgram(thresholdShader->program);
    setSampler(*thresholdShader, Uniform::image, 0);
    quad.draw();
}

void PostProcessing::blurPass(bool horizontal)
{
    glUseProgram(blurShader->program);
    setSampler(*blurShader, Uniform::image, 0);
    glUniform1i(blurShader->uniform(Uniform::horizontal), horizontal ? 1 : 0);
    quad.draw();
}

void PostProcessing::mergeHdr(float exposure)
{
    Shader& shader = *mergeShader;
    glUseProgram(shader.program);
    setSampler(shader, Uniform::original, 0);
    setSampler(shader, Uniform::blurred, 1);
    setSampler(shader, Uniform::positions, 2);
    glUniform1f(shader.uniform(Uniform::exposure), exposure);
    quad.draw();
}

void PostProcessing::depthOfField(float focusDepth, float maxDepth, float distanceScale)
{
    Shader& shader = *dofShader;
    glUseProgram(shader.program);
    setSampler(shader, Uniform::position, 0);
    setSampler(shader, Uniform::image, 1);
    setSampler(shader, Uniform::blurred, 2);
    glUniform1f(shader.uniform(Uniform::focusDepth), effectiveFocusDepth(focusDepth, maxDepth));
    glUniform1f(shader.uniform(Uniform::maxDepth), maxDepth);
    glUniform1f(shader.uniform(Uniform::distanceScale), distanceScale);
    quad.draw();
}

}  // namespace qm
