#pragma once

#include <GL/glew.h>

#include <array>
#include <cstddef>

#include "GLObject.h"

namespace qm {

// Every off-screen target of a frame: the G-buffer framebuffer with six
// colour textures and a depth-stencil texture, and a second framebuffer
// holding a copy of the scene depth. The first four (half floats) serve
// first as albedo, position, normal and lit image, then as the ping-pong
// buffers of bloom, tone mapping and depth of field. The last two hold what
// only physically based surfaces write: metallic, roughness and occlusion
// (8 bits each), and emitted light (half floats).
class FramebufferHandler {
public:
    // The colour attachments by what the G-buffer keeps in them.
    enum Target : std::size_t { Albedo = 0, Position = 1, Normal = 2, Lit = 3, Surface = 4, Emission = 5 };
    // Their later uses: bloom blurs between two of them, tone mapping
    // writes the image the sky is drawn over, depth of field blurs that
    // between two and composes the frame into the first.
    static constexpr Target bloomFirst = Albedo;
    static constexpr Target bloomSecond = Normal;
    static constexpr Target toneMapped = Normal;
    static constexpr Target blurred = Lit;
    static constexpr Target composed = Albedo;

    // One blur of a whole image: `source` read, `target` cleared and
    // written, along one axis.
    struct BlurStep {
        Target source;
        Target target;
        bool horizontal;
    };
    // The bloom: the bright parts blurred three times each way, ending in bloomFirst.
    static constexpr BlurStep bloomBlurs[6] = {
        {bloomFirst, bloomSecond, false}, {bloomSecond, bloomFirst, true}, {bloomFirst, bloomSecond, false},
        {bloomSecond, bloomFirst, true},  {bloomFirst, bloomSecond, false}, {bloomSecond, bloomFirst, true}};
    // The depth of field's soft image: the tone-mapped one blurred twice each way, ending in blurred.
    static constexpr BlurStep focusBlurs[4] = {
        {toneMapped, composed, false}, {composed, blurred, true}, {blurred, composed, false}, {composed, blurred, true}};

    static GLenum attachment(Target target) { return GL_COLOR_ATTACHMENT0 + GLenum(target); }
    GLuint texture(Target target) const { return colorTextures[target]; }

    // Builds both framebuffers at the given size; needs the current context.
    FramebufferHandler(GLuint width, GLuint height);

    // Saves the scene depth and leaves the G-buffer bound for drawing into Albedo, Position and Normal.
    void copyDepth();
    // Copies the lit image into behindTexture (made on first use) with its
    // mip chain, for surfaces that show what is behind them; leaves the
    // G-buffer bound.
    void copyLitBehind();
    // The mip levels above the first in behindTexture.
    float behindMips() const;

    GLFramebuffer depthCopyFbo;
    GLTexture depthCopyTexture;
    GLFramebuffer gBufferFbo;
    std::array<GLTexture, 6> colorTextures;
    GLTexture depthStencilTexture;
    GLTexture behindTexture;
    GLuint width = 0;
    GLuint height = 0;
};

}  // namespace qm
