// The point lights (stencil-masked for the nearest positions, instanced for
// the rest) and the full-screen directional light, all added into the lit
// HDR image in attachment 3.
#include <algorithm>

#include "GLRenderer.h"
#include "GpuMesh.h"
#include "PointLight.h"
#include "Scene.h"

namespace qm {

void setGBufferSamplers(GLuint program)
{
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "gAlbedo"), 0);
    glUniform1i(glGetUniformLocation(program, "gPosition"), 1);
    glUniform1i(glGetUniformLocation(program, "gNormals"), 2);
    glUseProgram(0);
}

void GLRenderer::bindGBufferTextures() const
{
    // Units 0 to 2, as the programs' samplers are set.
    const FramebufferHandler::Target inputs[3] = {FramebufferHandler::Albedo, FramebufferHandler::Position,
                                                  FramebufferHandler::Normal};
    for (GLenum unit = 0; unit < 3; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, framebuffers->texture(inputs[unit]));
    }
}

void GLRenderer::setPointLightUniforms(GLuint program, bool withRadius, const PointLight& light) const
{
    glUniform3fv(locateUniform(program, "pointLight.color"), 1, glm::value_ptr(light.color));
    glUniform1f(locateUniform(program, "pointLight.ambientIntensity"), light.ambientIntensity);
    glUniform1f(locateUniform(program, "pointLight.diffuseIntensity"), light.diffuseIntensity);
    glUniform1f(locateUniform(program, "pointLight.constant"), light.constant);
    glUniform1f(locateUniform(program, "pointLight.linear"), light.linear);
    glUniform1f(locateUniform(program, "pointLight.quadratic"), light.quadratic);
    if (withRadius)
        glUniform1f(locateUniform(program, "pointLight.radius"), light.radius);
}

// Everything a light program needs once per light; leaves no program current.
void GLRenderer::setLightPassUniforms(GLuint program, bool withRadius, const PointLight& light) const
{
    glUseProgram(program);
    setUniformMat4(program, scene->camera->projection, "projection");
    setUniformMat4(program, scene->camera->getViewMatrix(), "view");
    setPointLightUniforms(program, withRadius, light);
    glUniform2f(glGetUniformLocation(program, "gScreenSize"), float(width), float(height));
    setGBufferSamplers(program);
}

void GLRenderer::lightingPass(const std::vector<PointLight*>& lights)
{
    glEnable(GL_STENCIL_TEST);
    glUseProgram(stencilShader->program);
    setUniformMat4(stencilShader->program, scene->camera->projection, "projection");
    setUniformMat4(stencilShader->program, scene->camera->getViewMatrix(), "view");

    int stenciled = 0;
    for (const PointLight* light : lights) {
        const GLuint own = light->volumeMesh->getMaterial()->shader->program;
        setLightPassUniforms(own, true, *light);
        setLightPassUniforms(lightSphereStenciledShader->program, false, *light);

        const std::vector<glm::vec3>& positions = light->visiblePositions;
        std::size_t i = 0;
        for (; i < positions.size() && stenciled < MAX_STENCILED_LIGHTS; ++i, ++stenciled) {
            stencilPass(*light, positions[i]);
            litPass(*light, positions[i]);
        }
        if (stenciled < MAX_STENCILED_LIGHTS)
            continue;
        // Past the limit: the rest of this light's positions in one draw, which its own
        // program limits to the light's radius.
        glDisable(GL_STENCIL_TEST);
        glDrawBuffer(FramebufferHandler::attachment(FramebufferHandler::Lit));
        bindGBufferTextures();
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendEquation(GL_FUNC_ADD);
        glBlendFunc(GL_ONE, GL_ONE);
        glUseProgram(own);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        glBindVertexArray(light->volume->vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, light->volume->instanceBuffer);
        const std::size_t remaining = positions.size() - i;
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(remaining * sizeof(glm::vec3)), positions.data() + i,
                     GL_DYNAMIC_DRAW);
        glDrawElementsInstanced(GL_TRIANGLES, GLsizei(light->volume->indexCount), GL_UNSIGNED_INT, nullptr, GLsizei(remaining));
        glBindVertexArray(0);
        glCullFace(GL_BACK);
    }

    glDrawBuffer(FramebufferHandler::attachment(FramebufferHandler::Lit));
    bindGBufferTextures();
    glDisable(GL_BLEND);
    glDisable(GL_STENCIL_TEST);
    directionalLightPass();
}

void GLRenderer::stencilPass(const PointLight& light, const glm::vec3& position)
{
    glUseProgram(stencilShader->program);
    glDrawBuffer(GL_NONE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glClear(GL_STENCIL_BUFFER_BIT);
    glStencilFunc(GL_ALWAYS, 0, 0);
    // Non-zero exactly where the scene surface lies inside the sphere.
    glStencilOpSeparate(GL_BACK, GL_KEEP, GL_INCR_WRAP, GL_KEEP);
    glStencilOpSeparate(GL_FRONT, GL_KEEP, GL_DECR_WRAP, GL_KEEP);
    setUniformVec3(stencilShader->program, position, "worldPosition");
    glBindVertexArray(light.volume->vertexArray);
    glDrawElements(GL_TRIANGLES, GLsizei(light.volume->indexCount), GL_UNSIGNED_INT, nullptr);
}

void GLRenderer::litPass(const PointLight& light, const glm::vec3& position)
{
    glDrawBuffer(FramebufferHandler::attachment(FramebufferHandler::Lit));
    bindGBufferTextures();
    const GLuint program = lightSphereStenciledShader->program;
    glUseProgram(program);
    glStencilFunc(GL_NOTEQUAL, 0, 0xFF);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_ONE, GL_ONE);
    // Back faces only, so the light still shades with the camera inside its sphere.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    setUniformVec3(program, position, "worldPosition");
    glBindVertexArray(light.volume->vertexArray);
    glDrawElements(GL_TRIANGLES, GLsizei(light.volume->indexCount), GL_UNSIGNED_INT, nullptr);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
}

void GLRenderer::directionalLightPass()
{
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFunc(GL_ONE, GL_ONE);
    glUseProgram(directionalQuadShader->program);
    glUniform1f(glGetUniformLocation(directionalQuadShader->program, "fillLight"), scene->fillLight);
    glBindVertexArray(screenQuad.vertexArray);
    bindGBufferTextures();
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glBindVertexArray(0);
    glDisable(GL_BLEND);
}

}  // namespace qm
