#include "GLRenderer.h"

#include "Scene.h"

namespace qm {

GLRenderer::GLRenderer(GLuint width, GLuint height) : width(width), height(height)
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    directionalQuadShader = loadShader("QM/directionalQuad", 1);
    stencilShader = loadShader("QM/stencil", 4);
    lightSphereStenciledShader = loadShader("QM/lightSphereStenciled", 4);
    screenQuad.init(directionalQuadShader->program);
    setGBufferSamplers(directionalQuadShader->program);
    framebuffers = std::make_shared<FramebufferHandler>(width, height);
    postProcessing = std::make_unique<PostProcessing>();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
}

void GLRenderer::bindGBuffer() const
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers->gBufferFbo);
}

void GLRenderer::clearTarget(GLenum attachment) const
{
    bindGBuffer();
    glDrawBuffer(attachment);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void GLRenderer::render()
{
    Camera& camera = *scene->camera;
    camera.frameUpdate();
    const GLuint* textures = framebuffers->colorTextures.data();

    mark("draw lists");
    clearTarget(GL_COLOR_ATTACHMENT3);
    scene->buildDrawLists();
    mark("geometry");
    geometryPass();
    mark("billboards");
    billboardPass();
    mark("depth copy");
    framebuffers->copyDepth();
    mark("lighting");
    lightingPass(scene->visibleLights);

    // Bloom: the bright parts into attachment 0, then six blurs between 0 and 2.
    mark("bloom");
    clearTarget(GL_COLOR_ATTACHMENT0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, textures[3]);
    postProcessing->brightPass();
    for (int i = 0; i < 6; ++i) {
        const bool toZero = framebuffers->bloomToggle;
        clearTarget(toZero ? GL_COLOR_ATTACHMENT0 : GL_COLOR_ATTACHMENT2);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, textures[toZero ? 2 : 0]);
        framebuffers->bloomToggle = !framebuffers->bloomToggle;
        postProcessing->blurPass();
    }

    // Tone mapping into attachment 2.
    mark("merge");
    clearTarget(GL_COLOR_ATTACHMENT2);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, textures[3]);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, textures[0]);
    postProcessing->mergeHdr(camera.exposure);

    // The scene depth back, for the sky to stay behind it.
    mark("sky");
    const auto w = GLint(framebuffers->width);
    const auto h = GLint(framebuffers->height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers->depthCopyFbo);
    bindGBuffer();
    glClear(GL_DEPTH_BUFFER_BIT);
    glDrawBuffer(GL_NONE);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_DEPTH_BUFFER_BIT, GL_NEAREST);
    glDrawBuffer(GL_COLOR_ATTACHMENT2);
    skyPass();

    // Depth of field: two blur rounds of the final image, then the composite into attachment 0.
    mark("depth of field");
    framebuffers->blurStepState = 0;
    for (int i = 0; i < 4; ++i) {
        framebuffers->nextBlurTarget();
        postProcessing->blurPass();
    }
    clearTarget(GL_COLOR_ATTACHMENT0);
    for (int unit = 0; unit < 3; ++unit) {
        glActiveTexture(GL_TEXTURE0 + GLenum(unit));
        glBindTexture(GL_TEXTURE_2D, textures[unit + 1]);
    }
    postProcessing->depthOfField(camera.focusDepth, camera.maxDepth, camera.distanceScale);

    mark("present");
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers->gBufferFbo);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glBlitFramebuffer(0, 0, GLint(width), GLint(height), 0, 0, GLint(width), GLint(height), GL_COLOR_BUFFER_BIT,
                      GL_LINEAR);
    mark("end");
}

void GLRenderer::skyPass()
{
    const Skybox& skybox = scene->skybox;
    const GLuint program = skybox.shader->program;
    glUseProgram(program);
    glEnable(GL_DEPTH_TEST);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, skybox.cubeMap);
    glUniform1i(locateUniform(program, "cubeMapTex"), 0);
    // Turning moves the sky, walking does not: the view without its translation.
    const glm::mat4 rotationOnly(glm::mat3(scene->camera->getViewMatrix()));
    setUniformMat4(program, scene->camera->projection * rotationOnly, "viewProj");
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    GLint savedDepthFunction = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &savedDepthFunction);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glBindVertexArray(skybox.vertexArray);
    glDrawElements(GL_TRIANGLES, 36, GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
    glDepthMask(GL_FALSE);
    glCullFace(GL_BACK);
    glDepthFunc(GLenum(savedDepthFunction));
    glDisable(GL_DEPTH_TEST);
}

}  // namespace qm
