// The point and spot lights (stencil-masked for the nearest placements, instanced for
// the rest) and the full-screen directional lights, all added into the lit
// HDR image in attachment 3.
#include <algorithm>
#include <array>
#include <span>

#include "Environment.h"
#include "GLRenderer.h"
#include "GpuMesh.h"
#include "Mesh.h"
#include "PassState.h"
#include "PointLight.h"
#include "Texture.h"
#include "DrawList.h"

namespace qm {

void setGBufferSamplers(Shader& shader)
{
    glUseProgram(shader.program);
    glUniform1i(shader.uniform(Uniform::gAlbedo), 0);
    glUniform1i(shader.uniform(Uniform::gPosition), 1);
    glUniform1i(shader.uniform(Uniform::gNormals), 2);
    glUniform1i(shader.uniform(Uniform::gSurface), 3);
    glUseProgram(0);
}

void GLRenderer::bindGBufferTextures() const
{
    // Units 0 to 4, as the programs' samplers are set.
    const FramebufferHandler::Target inputs[5] = {FramebufferHandler::Albedo, FramebufferHandler::Position,
                                                  FramebufferHandler::Normal, FramebufferHandler::Surface,
                                                  FramebufferHandler::Emission};
    for (GLenum unit = 0; unit < 5; ++unit) {
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, framebuffers->texture(inputs[unit]));
    }
    glActiveTexture(GL_TEXTURE0);
}

void GLRenderer::setPointLightUniforms(Shader& shader, const PointLight& light) const
{
    glUniform3fv(shader.uniform(Uniform::pointLightColor), 1, glm::value_ptr(light.color));
    glUniform1f(shader.uniform(Uniform::pointLightAmbientIntensity), light.ambientIntensity);
    glUniform1f(shader.uniform(Uniform::pointLightDiffuseIntensity), light.diffuseIntensity);
    glUniform1f(shader.uniform(Uniform::pointLightConstant), light.constant);
    glUniform1f(shader.uniform(Uniform::pointLightLinear), light.linear);
    glUniform1f(shader.uniform(Uniform::pointLightQuadratic), light.quadratic);
    // Both paths shade with the radius the sphere was sized by.
    glUniform1f(shader.uniform(Uniform::pointLightRadius), light.radius);
    glUniform1f(shader.uniform(Uniform::pointLightCosInner), light.cosInner);
    glUniform1f(shader.uniform(Uniform::pointLightCosOuter), light.cosOuter);
}

// Everything a light program needs once per light; leaves no program current.
void GLRenderer::setLightPassUniforms(Shader& shader, const PointLight& light,
                                      const DrawList& frame) const
{
    glUseProgram(shader.program);
    setUniformMat4(shader, frame.camera.projection, Uniform::projection);
    setUniformMat4(shader, frame.camera.view, Uniform::view);
    setPointLightUniforms(shader, light);
    glUniform2f(shader.uniform(Uniform::gScreenSize), float(width), float(height));
    setGBufferSamplers(shader);
}

void GLRenderer::lightingPass(const DrawList& frame)
{
    Shader& stencil = *stencilShader;
    glUseProgram(stencil.program);
    setUniformMat4(stencil, frame.camera.projection, Uniform::projection);
    setUniformMat4(stencil, frame.camera.view, Uniform::view);

    int stenciled = 0;
    for (const LightDraw& draw : frame.lights) {
        const PointLight* light = draw.light;
        Shader& own = *light->volumeMesh->getMaterial()->shader;
        setLightPassUniforms(own, *light, frame);
        setLightPassUniforms(*lightSphereStenciledShader, *light, frame);

        const std::vector<LightPlacement>& placements = draw.placements;
        std::size_t i = 0;
        for (; i < placements.size() && stenciled < MAX_STENCILED_LIGHTS; ++i, ++stenciled) {
            stencilPass(*light, placements[i].position);
            litPass(*light, placements[i]);
        }
        if (stenciled < MAX_STENCILED_LIGHTS)
            continue;
        // Past the limit: the rest of this light's placements in one draw, which its own
        // program limits to the light's radius.
        applyPassState(PassState::lightVolume(false));
        glDrawBuffer(FramebufferHandler::attachment(FramebufferHandler::Lit));
        bindGBufferTextures();
        glUseProgram(own.program);
        glBindVertexArray(light->volume->vertexArray);
        glBindBuffer(GL_ARRAY_BUFFER, light->volume->instanceBuffer);
        const std::size_t remaining = placements.size() - i;
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(remaining * sizeof(LightPlacement)), placements.data() + i,
                     GL_DYNAMIC_DRAW);
        glDrawElementsInstanced(GL_TRIANGLES, GLsizei(light->volume->indexCount), GL_UNSIGNED_INT, nullptr, GLsizei(remaining));
        glBindVertexArray(0);
    }

    glDrawBuffer(FramebufferHandler::attachment(FramebufferHandler::Lit));
    bindGBufferTextures();
    directionalLightPass(frame);
}

void GLRenderer::stencilPass(const PointLight& light, const glm::vec3& position)
{
    Shader& stencil = *stencilShader;
    glUseProgram(stencil.program);
    glDrawBuffer(GL_NONE);
    applyPassState(PassState::lightStencil());
    // Non-zero afterwards exactly where the scene surface lies inside the sphere.
    glClear(GL_STENCIL_BUFFER_BIT);
    setUniformVec3(stencil, position, Uniform::worldPosition);
    glBindVertexArray(light.volume->vertexArray);
    glDrawElements(GL_TRIANGLES, GLsizei(light.volume->indexCount), GL_UNSIGNED_INT, nullptr);
}

void GLRenderer::litPass(const PointLight& light, const LightPlacement& placement)
{
    glDrawBuffer(FramebufferHandler::attachment(FramebufferHandler::Lit));
    bindGBufferTextures();
    Shader& shader = *lightSphereStenciledShader;
    glUseProgram(shader.program);
    applyPassState(PassState::lightVolume(true));
    setUniformVec3(shader, placement.position, Uniform::worldPosition);
    setUniformVec3(shader, placement.direction, Uniform::worldDirection);
    glBindVertexArray(light.volume->vertexArray);
    glDrawElements(GL_TRIANGLES, GLsizei(light.volume->indexCount), GL_UNSIGNED_INT, nullptr);
}

void GLRenderer::directionalLightPass(const DrawList& frame)
{
    applyPassState(PassState::fullScreenAdd());
    Shader& shader = *directionalQuadShader;
    glUseProgram(shader.program);
    glUniform1f(shader.uniform(Uniform::fillLight), frame.fillLight);
    setDirectionalLights(shader, frame);
    bindEnvironment(shader, frame);
    glBindVertexArray(screenQuad.vertexArray);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glBindVertexArray(0);
}

}  // namespace qm

namespace qm {

void GLRenderer::bindEnvironment(Shader& shader, const DrawList& frame) const
{
    const glm::mat3 viewToWorld = glm::transpose(glm::mat3(frame.camera.view));
    glUniformMatrix3fv(shader.uniform(Uniform::viewToWorld), 1, GL_FALSE, glm::value_ptr(viewToWorld));
    glUniform1i(shader.uniform(Uniform::environmentMap), 5);
    glActiveTexture(GL_TEXTURE5);
    if (const Environment* environment = frame.environment) {
        glBindTexture(GL_TEXTURE_CUBE_MAP, environment->cube);
        glUniform1f(shader.uniform(Uniform::environmentMips), environment->mipLevels);
        glUniform3fv(shader.uniform(Uniform::environmentSH), 9, glm::value_ptr(environment->harmonics[0]));
    } else {
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    }
    glActiveTexture(GL_TEXTURE0);
}

void GLRenderer::setDirectionalLights(Shader& shader, const DrawList& frame) const
{
    glm::vec3 directions[DrawList::maxDirectionalLights]{};
    glm::vec3 colours[DrawList::maxDirectionalLights]{};
    const std::size_t count = std::min(frame.directionalLights.size(), DrawList::maxDirectionalLights);
    const glm::mat3 toView(frame.camera.view);
    for (std::size_t i = 0; i < count; ++i) {
        // The programs take the way toward the light.
        directions[i] = glm::normalize(toView * -frame.directionalLights[i].direction);
        colours[i] = frame.directionalLights[i].colour;
    }
    glUniform1i(shader.uniform(Uniform::directionalCount), GLint(count));
    glUniform3fv(shader.uniform(Uniform::directionalDirections), GLsizei(DrawList::maxDirectionalLights),
                 glm::value_ptr(directions[0]));
    glUniform3fv(shader.uniform(Uniform::directionalColours), GLsizei(DrawList::maxDirectionalLights),
                 glm::value_ptr(colours[0]));
}

void GLRenderer::setForwardLights(Shader& shader, const DrawList& frame, const glm::vec3& centre, float radius) const
{
    struct Candidate {
        float distance;
        const PointLight* light;
        LightPlacement placement;
    };
    // The nearest that reach the object, kept in order as they are found:
    // nothing is allocated per draw.
    Candidate reaching[MAX_FORWARD_LIGHTS];
    std::size_t count = 0;
    for (const LightDraw& draw : frame.lights)
        for (const LightPlacement& placement : draw.placements) {
            const float d = glm::distance(placement.position, centre);
            if (!(d < draw.light->radius + radius) ||
                (count == MAX_FORWARD_LIGHTS && !(d < reaching[count - 1].distance)))
                continue;
            std::size_t at = count < MAX_FORWARD_LIGHTS ? count++ : count - 1;
            for (; at > 0 && d < reaching[at - 1].distance; --at)
                reaching[at] = reaching[at - 1];
            reaching[at] = {d, draw.light, placement};
        }
    glm::vec3 positions[MAX_FORWARD_LIGHTS]{};
    glm::vec3 colours[MAX_FORWARD_LIGHTS]{};
    glm::vec4 falloffs[MAX_FORWARD_LIGHTS]{};
    glm::vec3 directions[MAX_FORWARD_LIGHTS]{};
    glm::vec2 cones[MAX_FORWARD_LIGHTS]{};
    const glm::mat4& view = frame.camera.view;
    for (std::size_t i = 0; i < count; ++i) {
        const PointLight& light = *reaching[i].light;
        positions[i] = glm::vec3(view * glm::vec4(reaching[i].placement.position, 1.0f));
        directions[i] = glm::mat3(view) * reaching[i].placement.direction;
        cones[i] = {light.cosInner, light.cosOuter};
        colours[i] = light.color * light.diffuseIntensity;
        falloffs[i] = {light.constant, light.linear, light.quadratic, light.radius};
    }
    glUniform1i(shader.uniform(Uniform::pointLightCount), GLint(count));
    glUniform3fv(shader.uniform(Uniform::pointLightPositions), MAX_FORWARD_LIGHTS, glm::value_ptr(positions[0]));
    glUniform3fv(shader.uniform(Uniform::pointLightColours), MAX_FORWARD_LIGHTS, glm::value_ptr(colours[0]));
    glUniform4fv(shader.uniform(Uniform::pointLightFalloff), MAX_FORWARD_LIGHTS, glm::value_ptr(falloffs[0]));
    glUniform3fv(shader.uniform(Uniform::pointLightDirections), MAX_FORWARD_LIGHTS, glm::value_ptr(directions[0]));
    glUniform2fv(shader.uniform(Uniform::pointLightCones), MAX_FORWARD_LIGHTS, glm::value_ptr(cones[0]));
}

void GLRenderer::bindLayers(Shader& shader, const Material& material) const
{
    const SurfaceLayers& l = material.surface.layers;
    glUniform1f(shader.uniform(Uniform::clearcoat), l.clearcoat);
    glUniform1f(shader.uniform(Uniform::clearcoatRoughness), l.clearcoatRoughness);
    glUniform3fv(shader.uniform(Uniform::sheenColour), 1, glm::value_ptr(l.sheenColour));
    glUniform1f(shader.uniform(Uniform::sheenRoughness), l.sheenRoughness);
    glUniform1f(shader.uniform(Uniform::transmission), l.transmission);
    glUniform1f(shader.uniform(Uniform::thickness), l.thickness);
    glUniform1f(shader.uniform(Uniform::attenuationDistance), l.attenuationDistance);
    glUniform3fv(shader.uniform(Uniform::attenuationColour), 1, glm::value_ptr(l.attenuationColour));
    glUniform1f(shader.uniform(Uniform::ior), l.ior);
    glUniform1f(shader.uniform(Uniform::specularWeight), l.specular);
    glUniform3fv(shader.uniform(Uniform::specularColour), 1, glm::value_ptr(l.specularColour));
    glUniform1i(shader.uniform(Uniform::blendedSurface), material.coverage == Coverage::Blend ? 1 : 0);
    glUniformMatrix3fv(shader.uniform(Uniform::layerTransforms), GLsizei(SurfaceLayers::pictureCount), GL_FALSE,
                       glm::value_ptr(l.uvTransforms[0]));
    glUniform1iv(shader.uniform(Uniform::layerSets), GLsizei(SurfaceLayers::pictureCount), l.uvSets.data());
    std::array<GLint, SurfaceLayers::pictureCount> units{};
    for (std::size_t p = 0; p < SurfaceLayers::pictureCount; ++p) {
        units[p] = GLint(firstLayerUnit + p);
        glActiveTexture(GL_TEXTURE0 + GLenum(units[p]));
        glBindTexture(GL_TEXTURE_2D, l.maps[p] ? GLuint(l.maps[p]->id) : GLuint(whiteTexture));
    }
    glUniform1iv(shader.uniform(Uniform::layerMaps), GLsizei(units.size()), units.data());
    glActiveTexture(GL_TEXTURE6);
    glBindTexture(GL_TEXTURE_2D, framebuffers->behindTexture);
    glActiveTexture(GL_TEXTURE0);
}

void GLRenderer::forwardPass(const DrawList& frame)
{
    bindGBuffer();
    glDrawBuffer(FramebufferHandler::attachment(FramebufferHandler::Lit));
    // The lit image's alpha gathers the blended surfaces' coverage from none.
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    if (frame.blended.empty())
        return;
    // What transmitting surfaces show through them: the lit opaque frame.
    const bool transmitting = std::any_of(frame.blended.begin(), frame.blended.end(), [](const BlendedDraw& draw) {
        return draw.mesh->getMaterial()->surface.layers.transmission > 0.0f;
    });
    if (transmitting)
        framebuffers->copyLitBehind();
    // Surfaces that cover go first, nearest first, so that their depth hides
    // what lies behind them; then the blended ones, farthest first, over them.
    Shader* inUse = nullptr;
    bool covered = false;
    for (auto draw = frame.blended.rbegin(); draw != frame.blended.rend(); ++draw)
        if (draw->mesh->getMaterial()->coverage != Coverage::Blend) {
            drawForward(frame, *draw, inUse);
            covered = true;
        }
    for (const BlendedDraw& draw : frame.blended)
        if (draw.mesh->getMaterial()->coverage == Coverage::Blend)
            drawForward(frame, draw, inUse);
    glBindVertexArray(0);
    // The sky and the guides are drawn against the saved depth: it now holds those surfaces too.
    if (covered)
        framebuffers->copyDepth();
}

void GLRenderer::drawForward(const DrawList& frame, const BlendedDraw& draw, Shader*& inUse)
{
    const GpuMesh& gpu = *draw.mesh->gpu;
    // Deforming copies take the program's deforming form; each form gets the frame's values on first use.
    Shader& shader = gpu.deforming ? *forwardDeformingShader : *forwardShader;
    if (&shader != inUse) {
        inUse = &shader;
        glUseProgram(shader.program);
        setUniformMat4(shader, frame.camera.projection, Uniform::projection);
        glUniform1f(shader.uniform(Uniform::fillLight), frame.fillLight);
        setDirectionalLights(shader, frame);
        glUniform1f(shader.uniform(Uniform::pointSize), pointSize);
        bindEnvironment(shader, frame);
        glUniform1i(shader.uniform(Uniform::behindMap), 6);
        glUniform1f(shader.uniform(Uniform::behindMips), framebuffers->behindMips());
    }
    const Material& material = *draw.mesh->getMaterial();
    bindSurface(shader, material);
    bindLayers(shader, material);
    setForwardLights(shader, frame, draw.centre, draw.radius);
    // A surface that covers writes its depth and place, as an opaque one would.
    const bool blended = material.coverage == Coverage::Blend;
    const GLenum targets[2] = {FramebufferHandler::attachment(FramebufferHandler::Lit),
                               blended ? GLenum(GL_NONE) : FramebufferHandler::attachment(FramebufferHandler::Position)};
    glDrawBuffers(2, targets);
    applyPassState(blended ? PassState::blended(material.doubleSided) : PassState::layered(material.doubleSided));
    glBindVertexArray(gpu.vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, gpu.instanceBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(glm::mat4), glm::value_ptr(draw.modelView), GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, gpu.instanceNormalBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(glm::mat3), glm::value_ptr(draw.normalMatrix), GL_DYNAMIC_DRAW);
    if (gpu.deforming) {
        const bool posed = draw.firstBlock != BlendedDraw::noBlock;
        bindDeformation(shader, gpu,
                        posed ? std::span(frame.blendedDeformations)
                                    .subspan(draw.firstBlock, deformationBlockSize(gpu.boneCount))
                              : std::span<const glm::mat4>());
    }
    glDrawElementsInstanced(gpu.mode, GLsizei(gpu.indexCount), GL_UNSIGNED_INT, nullptr, 1);
}

}  // namespace qm
