#include "GLRenderer.h"

#include <cstddef>

#include "PassState.h"

#include "DrawList.h"
#include "Scene.h"
#include "Skybox.h"
#include "VertexAttributes.h"

namespace qm {

std::optional<glm::vec3> GLRenderer::surfaceAt(int x, int y) const
{
    if (x < 0 || y < 0 || x >= int(width) || y >= int(height))
        return std::nullopt;
    glm::vec3 position(0.0f);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers->gBufferFbo);
    glReadBuffer(FramebufferHandler::attachment(FramebufferHandler::Position));
    glReadPixels(x, int(height) - 1 - y, 1, 1, GL_RGB, GL_FLOAT, &position);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    // A zero position is where nothing opaque was drawn (as the merge reads it).
    if (position == glm::vec3(0.0f))
        return std::nullopt;
    return position;
}

GLRenderer::GLRenderer(GLuint width, GLuint height, const std::filesystem::path& dataRoot)
    : width(width), height(height)
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    // Point meshes set their size in the program.
    glEnable(GL_PROGRAM_POINT_SIZE);
    directionalQuadShader = loadShader("QM/directionalQuad", "", dataRoot);
    stencilShader = loadShader("QM/stencil", "", dataRoot);
    lightSphereStenciledShader = loadShader("QM/lightSphere", stencilledDefine, dataRoot);
    forwardShader = loadShader("QM/forward", "", dataRoot);
    forwardDeformingShader = loadShader("QM/forward", deformingDefine, dataRoot);
    guideShader = loadShader("QM/guide", "", dataRoot);
    screenQuad.init();
    Shader& directional = *directionalQuadShader;
    setGBufferSamplers(directional);
    glUseProgram(directional.program);
    glUniform1i(directional.uniform(Uniform::gEmission), 4);
    glUseProgram(0);
    whiteTexture = makeTexture();
    const GLubyte white[4] = {255, 255, 255, 255};
    glBindTexture(GL_TEXTURE_2D, whiteTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    framebuffers = std::make_shared<FramebufferHandler>(width, height);
    postProcessing = std::make_unique<PostProcessing>(dataRoot);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
}

void GLRenderer::bindGBuffer() const
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers->gBufferFbo);
}

void GLRenderer::restoreSceneDepth(GLenum target) const
{
    const auto w = GLint(framebuffers->width);
    const auto h = GLint(framebuffers->height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers->depthCopyFbo);
    bindGBuffer();
    glClear(GL_DEPTH_BUFFER_BIT);
    glDrawBuffer(GL_NONE);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    glDrawBuffer(target);
}

void GLRenderer::clearTarget(GLenum attachment) const
{
    bindGBuffer();
    glDrawBuffer(attachment);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GLRenderer::render()
{
    using Targets = FramebufferHandler;
    const FramebufferHandler& targets = *framebuffers;

    mark("draw lists");
    clearTarget(Targets::attachment(Targets::Lit));
    const DrawList& frame = scene->buildDrawList();
    const FrameCamera& camera = frame.camera;
    mark("geometry");
    geometryPass(frame);
    mark("billboards");
    billboardPass(frame);
    mark("depth copy");
    framebuffers->copyDepth();
    mark("lighting");
    lightingPass(frame);
    mark("blended");
    forwardPass(frame);

    // Bloom: the bright parts into the first bloom target, then blurred between the two.
    mark("bloom");
    applyPassState(PassState::fullScreen());
    clearTarget(Targets::attachment(Targets::bloomFirst));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, targets.texture(Targets::Lit));
    postProcessing->brightPass();
    blur(Targets::bloomBlurs);

    // Tone mapping of the lit image with the bloom.
    mark("merge");
    clearTarget(Targets::attachment(Targets::toneMapped));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, targets.texture(Targets::Lit));
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, targets.texture(Targets::bloomFirst));
    glActiveTexture(GL_TEXTURE2);
    glBindTexture(GL_TEXTURE_2D, targets.texture(Targets::Position));
    postProcessing->mergeHdr(camera.exposure);

    // The scene depth back, for the sky to stay behind it.
    mark("sky");
    restoreSceneDepth(Targets::attachment(Targets::toneMapped));
    skyPass(frame);

    // Depth of field: two blur rounds of the final image, then the composite.
    mark("depth of field");
    if (depthOfField)
        depthOfFieldPass(camera);

    const GLenum shown = Targets::attachment(depthOfField ? Targets::composed : Targets::toneMapped);
    mark("guides");
    guidePass(frame, shown);

    mark("present");
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers->gBufferFbo);
    glReadBuffer(shown);
    glBlitFramebuffer(0, 0, GLint(width), GLint(height), 0, 0, GLint(width), GLint(height), GL_COLOR_BUFFER_BIT,
                      GL_LINEAR);
    mark("end");
}

void GLRenderer::depthOfFieldPass(const FrameCamera& camera)
{
    using Targets = FramebufferHandler;
    const FramebufferHandler& targets = *framebuffers;
    applyPassState(PassState::fullScreen());
    blur(Targets::focusBlurs);
    clearTarget(Targets::attachment(Targets::composed));
    // The positions for depth, the sharp image and the blurred one.
    const Targets::Target inputs[3] = {Targets::Position, Targets::toneMapped, Targets::blurred};
    for (GLenum unit = 0; unit < 3; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, targets.texture(inputs[unit]));
    }
    postProcessing->depthOfField(camera.focusDepth, camera.maxDepth, camera.distanceScale);
}

void GLRenderer::blur(std::span<const FramebufferHandler::BlurStep> steps)
{
    for (const FramebufferHandler::BlurStep& step : steps) {
        clearTarget(FramebufferHandler::attachment(step.target));
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, framebuffers->texture(step.source));
        postProcessing->blurPass(step.horizontal);
    }
}

void GLRenderer::skyPass(const DrawList& frame)
{
    if (!frame.sky)
        return;
    const Skybox& skybox = *frame.sky;
    Shader& shader = *skybox.shader;
    glUseProgram(shader.program);
    applyPassState(PassState::sky());
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, skybox.cubeMap);
    glUniform1i(shader.uniform(Uniform::cubeMapTex), 0);
    // Turning moves the sky, walking does not: the view without its translation.
    const glm::mat4 rotationOnly(glm::mat3(frame.camera.view));
    setUniformMat4(shader, frame.camera.skyProjection * rotationOnly, Uniform::viewProj);
    glBindVertexArray(skybox.vertexArray);
    glDrawElements(GL_TRIANGLES, 36, GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

void GLRenderer::guidePass(const DrawList& frame, GLenum shown)
{
    if (frame.guides.empty())
        return;
    if (!guideVertexArray) {
        guideVertexArray = makeVertexArray();
        guideBuffer = makeBuffer();
        glBindVertexArray(guideVertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, guideBuffer);
        feedAttribute(attribute::position, 3, sizeof(GuideVertex), offsetof(GuideVertex, position));
        feedAttribute(attribute::colour, 3, sizeof(GuideVertex), offsetof(GuideVertex, colour));
        glBindVertexArray(0);
    }
    // The passes since the sky cleared the depth.
    restoreSceneDepth(shown);
    applyPassState(PassState::guides());
    Shader& shader = *guideShader;
    glUseProgram(shader.program);
    setUniformMat4(shader, frame.camera.projection * frame.camera.view, Uniform::viewProj);
    glBindVertexArray(guideVertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, guideBuffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(frame.guides.size() * sizeof(GuideVertex)), frame.guides.data(),
                 GL_STREAM_DRAW);
    glDrawArrays(GL_LINES, 0, GLsizei(frame.guides.size()));
    glBindVertexArray(0);
}

}  // namespace qm
