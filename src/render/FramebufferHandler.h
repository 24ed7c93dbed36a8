#pragma once

#include <GL/glew.h>

#include <array>

namespace qm {

// Every off-screen target of a frame: the G-buffer framebuffer with four
// half-float colour textures and a depth-stencil texture, and a second
// framebuffer holding a copy of the scene depth. The four colour textures
// serve first as albedo, position, normal and lit image, then as the
// ping-pong buffers of bloom, tone mapping and depth of field.
class FramebufferHandler {
public:
    // Builds both framebuffers at the given size; needs the current context.
    FramebufferHandler(GLuint width, GLuint height);
    ~FramebufferHandler();
    FramebufferHandler(const FramebufferHandler&) = delete;
    FramebufferHandler& operator=(const FramebufferHandler&) = delete;

    // Saves the scene depth and leaves the G-buffer bound for drawing into attachments 0 to 2.
    void copyDepth();
    // One step of the depth-of-field blur: selects and clears the next target
    // and binds its source on unit 0 (attachment 2 into 0, then 0 into 3 and
    // 3 into 0 in turn).
    void nextBlurTarget();

    GLuint depthCopyFbo = 0;
    GLuint depthCopyTexture = 0;
    GLuint gBufferFbo = 0;
    std::array<GLuint, 4> colorTextures{};
    GLuint depthStencilTexture = 0;
    GLuint width = 0;
    GLuint height = 0;
    bool bloomToggle = false;
    int blurStepState = 0;
};

}  // namespace qm
