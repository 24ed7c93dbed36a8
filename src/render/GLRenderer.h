#pragma once

#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "FramebufferHandler.h"
#include "PostProcessing.h"
#include "Renderer.h"
#include "ScreenQuad.h"
#include "Shader.h"

namespace qm {

class PointLight;
struct BlendedDraw;
struct DrawList;
struct FrameCamera;
struct LightPlacement;
struct Material;
struct MeshDraw;
struct ShaderGroup;

// The deferred renderer: a fixed sequence of passes over the G-buffer's
// attachments, ending with a copy to the window. Each frame it asks the
// scene for its draw list and draws that value; the passes read nothing else.
class GLRenderer : public Renderer {
public:
    // The first light positions of a frame, nearest first per light, drawn
    // with a stencil mask; the rest go instanced.
    static constexpr int MAX_STENCILED_LIGHTS = 20;

    // Builds the programs (from the runtime data's folder `dataRoot`, the
    // working directory when empty) and targets for a window of this size;
    // needs the current context.
    GLRenderer(GLuint width, GLuint height, const std::filesystem::path& dataRoot = {});

    // One frame into the default framebuffer; the caller swaps.
    void render() override;
    // Read from the G-buffer's positions, which no pass after the geometry writes over.
    std::optional<glm::vec3> surfaceAt(int x, int y) const override;

    // The passes, in frame order.
    void geometryPass(const DrawList& frame);
    void drawShaderGroup(const DrawList& frame, const ShaderGroup& group);
    void billboardPass(const DrawList& frame);
    void lightingPass(const DrawList& frame);
    void stencilPass(const PointLight& light, const glm::vec3& position);
    void litPass(const PointLight& light, const LightPlacement& placement);
    void directionalLightPass(const DrawList& frame);
    // Blended surfaces over the lit image, farthest first.
    void forwardPass(const DrawList& frame);
    // Blurs the tone-mapped image by depth into the composed target.
    void depthOfFieldPass(const FrameCamera& camera);
    // Each step's source blurred into its target, in order.
    void blur(std::span<const FramebufferHandler::BlurStep> steps);
    void skyPass(const DrawList& frame);
    // The frame's guide lines over the picture shown, against the scene's depth.
    void guidePass(const DrawList& frame, GLenum shown);

    // The most point lights that light one blended object: the nearest that reach it.
    static constexpr int MAX_FORWARD_LIGHTS = 4;

    GLuint width = 0;
    GLuint height = 0;
    ScreenQuad screenQuad;
    std::shared_ptr<FramebufferHandler> framebuffers;
    std::unique_ptr<PostProcessing> postProcessing;
    std::shared_ptr<Shader> directionalQuadShader;
    std::shared_ptr<Shader> stencilShader;
    std::shared_ptr<Shader> lightSphereStenciledShader;
    std::shared_ptr<Shader> forwardShader;
    std::shared_ptr<Shader> forwardDeformingShader;
    // What a physically based material without a picture samples: white.
    GLTexture whiteTexture;
    // Points are drawn this many pixels wide.
    float pointSize = 3.0f;
    // False: the tone-mapped image with its sky is shown as it is (thumbnails).
    bool depthOfField = true;

private:
    std::shared_ptr<Shader> guideShader;
    // Made when a frame first has guide lines: the moor never has.
    GLVertexArray guideVertexArray;
    GLBuffer guideBuffer;

    void mark(const char* pass) const
    {
        if (profiler)
            profiler->pass(pass);
    }
    void bindGBuffer() const;
    void bindGBufferTextures() const;
    // A physically based or unlit material's factors and pictures.
    void bindSurface(Shader& shader, const Material& material) const;
    // The forward program's further layers with their pictures (units 16
    // on, above the vertex stage's buffer textures), and the frame behind on
    // unit 6.
    static constexpr GLenum firstLayerUnit = 16;
    void bindLayers(Shader& shader, const Material& material) const;
    // One forward-drawn copy; `inUse` is the program last made current.
    void drawForward(const DrawList& frame, const BlendedDraw& draw, Shader*& inUse);
    // The frame's environment on unit 5, with its uniforms.
    void bindEnvironment(Shader& shader, const DrawList& frame) const;
    // The frame's own directional lights, toward the light in camera space.
    void setDirectionalLights(Shader& shader, const DrawList& frame) const;
    // A forward-drawn object's nearest point lights that reach it.
    void setForwardLights(Shader& shader, const DrawList& frame, const glm::vec3& centre, float radius) const;
    void setPointLightUniforms(Shader& shader, const PointLight& light) const;
    void setLightPassUniforms(Shader& shader, const PointLight& light, const DrawList& frame) const;
    void clearTarget(GLenum attachment) const;
    // The G-buffer's depth as the opaque passes left it (the copy), to draw into `target` against.
    void restoreSceneDepth(GLenum target) const;
};

// Uploads a classic material's ambient colour, shininess and textures (sampler
// "material.<diffuse|specular|normal><n>" on the unit of its list position).
void bindMaterial(Shader& shader, const Material& material);

// "gAlbedo", "gPosition", "gNormals" and "gSurface" on units 0 to 3.
void setGBufferSamplers(Shader& shader);

}  // namespace qm
