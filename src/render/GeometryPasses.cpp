// The passes that write the G-buffer: opaque meshes grouped by program and
// material, then the billboards.
#include <algorithm>
#include <span>
#include <utility>

#include "DrawList.h"
#include "GLRenderer.h"
#include "GpuMesh.h"
#include "Mesh.h"
#include "PassState.h"
#include "Texture.h"

namespace qm {

namespace {

// Per-frame instance data goes in fresh buffers (orphaning), not in place:
// `count` copies from `first` on.
void uploadInstances(const MeshDraw& draw, std::size_t first, std::size_t count)
{
    const GpuMesh& gpu = *draw.mesh->gpu;
    glBindBuffer(GL_ARRAY_BUFFER, gpu.instanceBuffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(count * sizeof(glm::mat4)), draw.transforms.data() + first,
                 GL_DYNAMIC_DRAW);
    if (!draw.normalMatrices.empty()) {
        glBindBuffer(GL_ARRAY_BUFFER, gpu.instanceNormalBuffer);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(count * sizeof(glm::mat3)), draw.normalMatrices.data() + first,
                     GL_DYNAMIC_DRAW);
    }
}

// A mesh's copies (billboards' too), with their deformation blocks for a
// deforming mesh (drawn with its program's deforming form). A buffer
// texture holds only so many texels, so the copies go in as many draws as
// their blocks need.
void drawCopies(Shader& shader, const MeshDraw& draw)
{
    const GpuMesh& gpu = *draw.mesh->gpu;
    const std::size_t copies = draw.transforms.size();
    const std::size_t block = deformationBlockSize(gpu.boneCount);
    // Without a block for every copy (nothing poses the mesh) it is drawn as stored.
    const bool posed = gpu.deforming && draw.deformations.size() == copies * block;
    const std::size_t perDraw = posed ? std::max<std::size_t>(1, std::size_t(maxBufferTexels()) / (4 * block)) : copies;
    glBindVertexArray(gpu.vertexArray);
    for (std::size_t first = 0; first < copies; first += perDraw) {
        const std::size_t count = std::min(perDraw, copies - first);
        uploadInstances(draw, first, count);
        if (gpu.deforming)
            bindDeformation(shader, gpu,
                            posed ? std::span(draw.deformations).subspan(first * block, count * block)
                                  : std::span<const glm::mat4>());
        glDrawElementsInstanced(gpu.mode, GLsizei(gpu.indexCount), GL_UNSIGNED_INT, nullptr, GLsizei(count));
    }
    glBindVertexArray(0);
}

}  // namespace

void bindMaterial(Shader& shader, const Material& material)
{
    glUniform3fv(shader.uniform(Uniform::materialAmbient), 1, glm::value_ptr(material.ambient));
    glUniform1f(shader.uniform(Uniform::materialShininess), material.shininess);
    // "material.diffuse0", "material.diffuse1", ... by kind, in the material's order.
    static constexpr Uniform firsts[3] = {Uniform::materialDiffuse0, Uniform::materialSpecular0,
                                          Uniform::materialNormal0};
    std::size_t counters[3] = {0, 0, 0};
    for (std::size_t i = 0; i < material.textures.size(); ++i) {
        const Texture& texture = *material.textures[i];
        const auto kind = std::size_t(texture.kind);
        if (counters[kind] == classicTexturesPerKind)
            continue;
        glActiveTexture(GL_TEXTURE0 + GLenum(i));
        glUniform1i(shader.uniform(Uniform(std::size_t(firsts[kind]) + counters[kind]++)), GLint(i));
        glBindTexture(GL_TEXTURE_2D, texture.id);
    }
    glActiveTexture(GL_TEXTURE0);
}

void GLRenderer::bindSurface(Shader& shader, const Material& material) const
{
    const SurfaceParameters& s = material.surface;
    glUniform4fv(shader.uniform(Uniform::baseColourFactor), 1, glm::value_ptr(s.baseColour));
    glUniformMatrix3fv(shader.uniform(Uniform::uvTransforms), GLsizei(s.uvTransforms.size()), GL_FALSE,
                       glm::value_ptr(s.uvTransforms[0]));
    glUniform1iv(shader.uniform(Uniform::uvSets), GLsizei(s.uvSets.size()), s.uvSets.data());
    glUniform1f(shader.uniform(Uniform::alphaCutoff), material.coverage == Coverage::Mask ? s.alphaCutoff : -1.0f);
    // The unlit program reads the base colour alone.
    const bool unlit = material.shading == Shading::Unlit;
    if (!unlit) {
        glUniform1f(shader.uniform(Uniform::metallicFactor), s.metallic);
        glUniform1f(shader.uniform(Uniform::roughnessFactor), s.roughness);
        glUniform3fv(shader.uniform(Uniform::emissiveFactor), 1, glm::value_ptr(s.emissive));
        glUniform1f(shader.uniform(Uniform::occlusionStrength), s.occlusionStrength);
        glUniform1f(shader.uniform(Uniform::normalScale), s.normalScale);
        glUniform1i(shader.uniform(Uniform::doubleSided), material.doubleSided ? 1 : 0);
        glUniform1i(shader.uniform(Uniform::hasNormalMap), s.normalMap ? 1 : 0);
    }
    // A missing picture reads as white, which the factors alone then decide
    // (the normal map is not read without one).
    const std::pair<Uniform, const Texture*> maps[5] = {{Uniform::baseColourMap, s.baseColourMap.get()},
                                                        {Uniform::metallicRoughnessMap, s.metallicRoughnessMap.get()},
                                                        {Uniform::normalMap, s.normalMap.get()},
                                                        {Uniform::occlusionMap, s.occlusionMap.get()},
                                                        {Uniform::emissiveMap, s.emissiveMap.get()}};
    for (GLenum unit = 0; unit < (unlit ? 1u : 5u); ++unit) {
        const auto& [sampler, texture] = maps[unit];
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(GL_TEXTURE_2D, texture ? GLuint(texture->id) : GLuint(whiteTexture));
        glUniform1i(shader.uniform(sampler), GLint(unit));
    }
    glActiveTexture(GL_TEXTURE0);
}

void GLRenderer::geometryPass(const DrawList& frame)
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers->gBufferFbo);
    const GLenum attachments[3] = {FramebufferHandler::attachment(FramebufferHandler::Albedo),
                                   FramebufferHandler::attachment(FramebufferHandler::Position),
                                   FramebufferHandler::attachment(FramebufferHandler::Normal)};
    glDrawBuffers(3, attachments);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers->gBufferFbo);
    applyPassState(PassState::geometry());
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    for (const ShaderGroup& group : frame.opaque)
        drawShaderGroup(frame, group);
}

void GLRenderer::drawShaderGroup(const DrawList& frame, const ShaderGroup& group)
{
    Shader& shader = *group.shader;
    glUseProgram(shader.program);
    setUniformMat4(shader, frame.camera.projection, Uniform::projection);
    // Only physically based and unlit surfaces write the surface and
    // emission targets; the classic programs leave them alone.
    const bool classic = group.materials.front().material->shading == Shading::Classic;
    const GLenum attachments[6] = {FramebufferHandler::attachment(FramebufferHandler::Albedo),
                                   FramebufferHandler::attachment(FramebufferHandler::Position),
                                   FramebufferHandler::attachment(FramebufferHandler::Normal),
                                   GL_NONE,
                                   FramebufferHandler::attachment(FramebufferHandler::Surface),
                                   FramebufferHandler::attachment(FramebufferHandler::Emission)};
    glDrawBuffers(classic ? 3 : 6, attachments);
    if (!classic)
        glUniform1f(shader.uniform(Uniform::pointSize), pointSize);
    for (const MaterialGroup& materialGroup : group.materials) {
        const Material& material = *materialGroup.material;
        if (material.shading == Shading::Classic)
            bindMaterial(shader, material);
        else
            bindSurface(shader, material);
        applyPassState(material.doubleSided ? PassState::geometryBothSides() : PassState::geometry());
        for (const std::uint32_t mesh : materialGroup.meshes)
            drawCopies(shader, frame.meshes[mesh]);
    }
    applyPassState(PassState::geometry());
}

void GLRenderer::billboardPass(const DrawList& frame)
{
    applyPassState(PassState::geometryBothSides());
    const FrameCamera& camera = frame.camera;
    const glm::mat4& view = camera.view;
    for (const MeshDraw& draw : frame.billboards) {
        const Mesh* mesh = draw.mesh;
        const Material& material = *mesh->getMaterial();
        Shader& shader = *material.shader;
        glUseProgram(shader.program);
        setUniformMat4(shader, camera.projection * view, Uniform::viewProj);
        setUniformMat4(shader, view, Uniform::view);
        bindMaterial(shader, material);
        setUniformVec3(shader, camera.position, Uniform::cameraPos);
        setUniformVec3(shader, glm::vec3(mesh->billboardSize, 0.0f), Uniform::bilbDims);
        drawCopies(shader, draw);
    }
}

}  // namespace qm
