#pragma once

#include <memory>
#include <vector>

#include "FrameProfiler.h"
#include "FramebufferHandler.h"
#include "PostProcessing.h"
#include "Renderer.h"
#include "ScreenQuad.h"
#include "Shader.h"

namespace qm {

class Mesh;
class PointLight;
struct Material;
struct ShaderGroup;

// The deferred renderer: a fixed sequence of passes over the G-buffer's
// four attachments, ending with a copy to the window.
class GLRenderer : public Renderer {
public:
    // The first light positions of a frame, nearest first per light, drawn
    // with a stencil mask; the rest go instanced.
    static constexpr int MAX_STENCILED_LIGHTS = 20;

    // Builds the programs and targets for a window of this size; needs the current context.
    GLRenderer(GLuint width, GLuint height);

    // One frame into the default framebuffer; the caller swaps.
    void render() override;

    // The passes, in frame order.
    void geometryPass();
    void drawShaderGroup(const ShaderGroup& group);
    void billboardPass();
    void lightingPass(const std::vector<PointLight*>& lights);
    void stencilPass(const PointLight& light, const glm::vec3& position);
    void litPass(const PointLight& light, const glm::vec3& position);
    void directionalLightPass();
    void skyPass();

    GLuint width = 0;
    GLuint height = 0;
    ScreenQuad screenQuad;
    std::shared_ptr<FramebufferHandler> framebuffers;
    std::unique_ptr<PostProcessing> postProcessing;
    std::shared_ptr<Shader> directionalQuadShader;
    std::shared_ptr<Shader> stencilShader;
    std::shared_ptr<Shader> lightSphereStenciledShader;
    // Optional: told where each pass begins.
    FrameProfiler* profiler = nullptr;

private:
    void mark(const char* pass) const
    {
        if (profiler)
            profiler->pass(pass);
    }
    void bindGBuffer() const;
    void bindGBufferTextures() const;
    void setPointLightUniforms(GLuint program, bool withRadius, const PointLight& light) const;
    void setLightPassUniforms(GLuint program, bool withRadius, const PointLight& light) const;
    void clearTarget(GLenum attachment) const;
};

// Uploads a material's ambient colour, shininess and textures (sampler
// "material.<diffuse|specular|normal><n>" on the unit of its list position).
void bindMaterial(GLuint program, const Material& material);

// "gAlbedo", "gPosition" and "gNormals" on units 0, 1 and 2.
void setGBufferSamplers(GLuint program);

}  // namespace qm
