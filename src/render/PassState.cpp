#include "PassState.h"

namespace qm {

namespace {

void setEnabled(GLenum capability, bool enabled)
{
    if (enabled)
        glEnable(capability);
    else
        glDisable(capability);
}

}  // namespace

void applyPassState(const PassState& state)
{
    setEnabled(GL_DEPTH_TEST, state.depthTest);
    glDepthMask(state.depthWrite ? GL_TRUE : GL_FALSE);
    glDepthFunc(state.depthFunction);
    setEnabled(GL_STENCIL_TEST, state.stencil != PassState::Stencil::Off);
    if (state.stencil == PassState::Stencil::MarkInside) {
        glStencilFunc(GL_ALWAYS, 0, 0);
        glStencilOpSeparate(GL_BACK, GL_KEEP, GL_INCR_WRAP, GL_KEEP);
        glStencilOpSeparate(GL_FRONT, GL_KEEP, GL_DECR_WRAP, GL_KEEP);
    } else if (state.stencil == PassState::Stencil::WhereMarked) {
        glStencilFunc(GL_NOTEQUAL, 0, 0xFF);
        glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    }
    setEnabled(GL_BLEND, state.blend != PassState::Blend::None);
    if (state.blend == PassState::Blend::Add) {
        glBlendEquation(GL_FUNC_ADD);
        glBlendFunc(GL_ONE, GL_ONE);
    } else if (state.blend == PassState::Blend::Over) {
        glBlendEquation(GL_FUNC_ADD);
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    } else if (state.blend == PassState::Blend::Under) {
        glBlendEquation(GL_FUNC_ADD);
        glBlendFuncSeparate(GL_ONE_MINUS_DST_ALPHA, GL_DST_ALPHA, GL_ZERO, GL_ONE);
    }
    setEnabled(GL_CULL_FACE, state.cull != GL_NONE);
    if (state.cull != GL_NONE)
        glCullFace(state.cull);
}

}  // namespace qm
