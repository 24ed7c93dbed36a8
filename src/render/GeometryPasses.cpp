// The passes that write the G-buffer: opaque meshes grouped by program and
// material, then the billboards.
#include <string>

#include "GLRenderer.h"
#include "GpuMesh.h"
#include "Mesh.h"
#include "Scene.h"
#include "Texture.h"

namespace qm {

namespace {

// Per-frame instance data goes in fresh buffers (orphaning), not in place.
void uploadInstances(const Mesh& mesh)
{
    glBindBuffer(GL_ARRAY_BUFFER, mesh.gpu->instanceBuffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(mesh.instanceTransforms.size() * sizeof(glm::mat4)),
                 mesh.instanceTransforms.data(), GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, mesh.gpu->instanceNormalBuffer);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(mesh.instanceNormalMatrices.size() * sizeof(glm::mat3)),
                 mesh.instanceNormalMatrices.data(), GL_DYNAMIC_DRAW);
}

void drawInstanced(const Mesh& mesh)
{
    glBindVertexArray(mesh.gpu->vertexArray);
    uploadInstances(mesh);
    glDrawElementsInstanced(GL_TRIANGLES, GLsizei(mesh.gpu->indexCount), GL_UNSIGNED_INT, nullptr,
                            GLsizei(mesh.instanceTransforms.size()));
    glBindVertexArray(0);
}

}  // namespace

void bindMaterial(GLuint program, const Material& material)
{
    const GLint ambient = locateUniform(program, "material.ambient");
    const GLint shininess = locateUniform(program, "material.shininess");
    glUniform3fv(ambient, 1, glm::value_ptr(material.ambient));
    glUniform1f(shininess, material.shininess);
    int counters[3] = {0, 0, 0};
    for (std::size_t i = 0; i < material.textures.size(); ++i) {
        const Texture& texture = *material.textures[i];
        glActiveTexture(GL_TEXTURE0 + GLenum(i));
        static const char* const kinds[3] = {"diffuse", "specular", "normal"};
        std::string name = "material.";
        const auto kind = std::size_t(texture.kind);
        name += kinds[kind] + std::to_string(counters[kind]++);
        glUniform1i(locateUniform(program, name.c_str()), GLint(i));
        glBindTexture(GL_TEXTURE_2D, texture.id);
    }
    glActiveTexture(GL_TEXTURE0);
}

void GLRenderer::geometryPass()
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers->gBufferFbo);
    const GLenum attachments[3] = {FramebufferHandler::attachment(FramebufferHandler::Albedo),
                                   FramebufferHandler::attachment(FramebufferHandler::Position),
                                   FramebufferHandler::attachment(FramebufferHandler::Normal)};
    glDrawBuffers(3, attachments);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers->gBufferFbo);
    glDepthMask(GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    for (const ShaderGroup& group : scene->deferredGroups)
        drawShaderGroup(group);
    glDepthMask(GL_FALSE);
}

void GLRenderer::drawShaderGroup(const ShaderGroup& group)
{
    const GLuint program = group.shader->program;
    glUseProgram(program);
    setUniformMat4(program, scene->camera->projection, "projection");
    for (const MaterialGroup& materialGroup : group.materials) {
        bindMaterial(program, *materialGroup.material);
        for (const Mesh* mesh : materialGroup.meshes)
            drawInstanced(*mesh);
    }
}

void GLRenderer::billboardPass()
{
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    const Camera& camera = *scene->camera;
    const glm::mat4 view = camera.getViewMatrix();
    for (const Mesh* mesh : scene->billboards) {
        const Material& material = *mesh->getMaterial();
        const GLuint program = material.shader->program;
        glUseProgram(program);
        setUniformMat4(program, camera.projection * view, "viewProj");
        setUniformMat4(program, view, "view");
        bindMaterial(program, material);
        setUniformVec3(program, camera.position, "cameraPos");
        setUniformVec3(program, glm::vec3(mesh->billboardSize, 0.0f), "bilbDims");
        drawInstanced(*mesh);
    }
    glDepthMask(GL_FALSE);
}

}  // namespace qm
