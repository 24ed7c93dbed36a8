#include "FramebufferHandler.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace qm {

namespace {

void checkComplete()
{
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        std::cerr << "Could not create frame buffer." << std::endl;
}

GLTexture depthStencilTextureOfSize(GLuint width, GLuint height)
{
    GLTexture texture = makeTexture();
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH32F_STENCIL8, GLsizei(width), GLsizei(height), 0, GL_DEPTH_STENCIL,
                 GL_FLOAT_32_UNSIGNED_INT_24_8_REV, nullptr);
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_TEXTURE_2D, texture, 0);
    return texture;
}

}  // namespace

FramebufferHandler::FramebufferHandler(GLuint width, GLuint height)
    : gBufferFbo(makeFramebuffer()), width(width), height(height)
{
    glBindFramebuffer(GL_FRAMEBUFFER, gBufferFbo);
    // Upload formats differ but allocate nothing: only the internal format
    // matters. The lit and tone-mapped images carry the coverage of blended
    // surfaces in their alpha, for the sky to show through them.
    const struct {
        GLint internal;
        GLenum format;
        GLenum type;
    } uploads[6] = {{GL_RGB16F, GL_RGBA, GL_UNSIGNED_BYTE},  {GL_RGB16F, GL_RGB, GL_UNSIGNED_BYTE},
                    {GL_RGBA16F, GL_RGBA, GL_UNSIGNED_BYTE}, {GL_RGBA16F, GL_RGBA, GL_FLOAT},
                    {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE},   {GL_RGB16F, GL_RGB, GL_FLOAT}};
    for (std::size_t i = 0; i < colorTextures.size(); ++i) {
        colorTextures[i] = makeTexture();
        glBindTexture(GL_TEXTURE_2D, colorTextures[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, uploads[i].internal, GLsizei(width), GLsizei(height), 0, uploads[i].format,
                     uploads[i].type, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    for (std::size_t i = 0; i < colorTextures.size(); ++i)
        glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + GLenum(i), GL_TEXTURE_2D, colorTextures[i], 0);
    // HDR values above 1 must survive. In a core profile only the read clamp
    // is a valid target; the other two raise an error that nothing reads.
    glClampColor(GL_CLAMP_READ_COLOR, GL_FALSE);
    glClampColor(GL_CLAMP_VERTEX_COLOR, GL_FALSE);
    glClampColor(GL_CLAMP_FRAGMENT_COLOR, GL_FALSE);
    depthStencilTexture = depthStencilTextureOfSize(width, height);
    checkComplete();

    depthCopyFbo = makeFramebuffer();
    glBindFramebuffer(GL_FRAMEBUFFER, depthCopyFbo);
    depthCopyTexture = depthStencilTextureOfSize(width, height);
    checkComplete();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void FramebufferHandler::copyDepth()
{
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, depthCopyFbo);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gBufferFbo);
    glDrawBuffer(GL_NONE);
    glBlitFramebuffer(0, 0, GLint(width), GLint(height), 0, 0, GLint(width), GLint(height), GL_DEPTH_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, gBufferFbo);
    const GLenum attachments[3] = {attachment(Albedo), attachment(Position), attachment(Normal)};
    glDrawBuffers(3, attachments);
}

void FramebufferHandler::copyLitBehind()
{
    if (!behindTexture) {
        behindTexture = makeTexture();
        glBindTexture(GL_TEXTURE_2D, behindTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB16F, GLsizei(width), GLsizei(height), 0, GL_RGB, GL_FLOAT, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, gBufferFbo);
    glReadBuffer(attachment(Lit));
    glBindTexture(GL_TEXTURE_2D, behindTexture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, GLsizei(width), GLsizei(height));
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, gBufferFbo);
}

float FramebufferHandler::behindMips() const
{
    return std::floor(std::log2(float(std::max({width, height, 1u}))));
}

}  // namespace qm
