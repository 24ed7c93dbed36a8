#pragma once

#include <GL/glew.h>

namespace qm {

// The fixed-function state a pass draws with, stated whole: each pass
// applies its own before drawing instead of switching single settings on
// and off and relying on what the pass before it left.
struct PassState {
    bool depthTest = false;
    bool depthWrite = false;
    GLenum depthFunction = GL_LESS;
    // No stencil test; marking where the scene surface lies inside a light's
    // sphere (back faces count up, front faces down where the depth test
    // fails); or drawing only where that mark is set.
    enum class Stencil { Off, MarkInside, WhereMarked } stencil = Stencil::Off;
    // Additive (one, one); over (source alpha, one minus source alpha), its
    // alpha gathering the coverage; or under: the source shows where the
    // target's alpha leaves it uncovered, and the coverage stays.
    enum class Blend { None, Add, Over, Under } blend = Blend::None;
    // The faces left out; GL_NONE draws both sides.
    GLenum cull = GL_BACK;

    // Opaque surfaces into the G-buffer.
    static constexpr PassState geometry() { return {true, true, GL_LESS, Stencil::Off, Blend::None, GL_BACK}; }
    static constexpr PassState geometryBothSides() { return {true, true, GL_LESS, Stencil::Off, Blend::None, GL_NONE}; }
    // The stencil mask of one light's sphere against the scene depth.
    static constexpr PassState lightStencil() { return {true, false, GL_LESS, Stencil::MarkInside, Blend::None, GL_NONE}; }
    // A light's sphere added where its mask is set; back faces, so that the
    // light still shades with the camera inside it.
    static constexpr PassState lightVolume(bool stencilled)
    {
        return {false, false, GL_LESS, stencilled ? Stencil::WhereMarked : Stencil::Off, Blend::Add, GL_FRONT};
    }
    // A full-screen quad added to the lit image.
    static constexpr PassState fullScreenAdd() { return {false, false, GL_LESS, Stencil::Off, Blend::Add, GL_BACK}; }
    // A full-screen quad replacing its target (post-processing).
    static constexpr PassState fullScreen() { return {false, false, GL_LESS, Stencil::Off, Blend::None, GL_BACK}; }
    // Blended surfaces over the lit image: tested against the scene, not written.
    static constexpr PassState blended(bool bothSides)
    {
        return {true, false, GL_LESS, Stencil::Off, Blend::Over, bothSides ? GLenum(GL_NONE) : GLenum(GL_BACK)};
    }
    // Forward-lit surfaces that cover what is behind them: tested and written.
    static constexpr PassState layered(bool bothSides)
    {
        return {true, true, GL_LESS, Stencil::Off, Blend::Over, bothSides ? GLenum(GL_NONE) : GLenum(GL_BACK)};
    }
    // The sky cube from inside, behind everything drawn and showing through
    // blended surfaces where nothing opaque is behind them.
    static constexpr PassState sky() { return {true, true, GL_LEQUAL, Stencil::Off, Blend::Under, GL_FRONT}; }
    // Lines over the finished picture, hidden behind the scene.
    static constexpr PassState guides() { return {true, false, GL_LEQUAL, Stencil::Off, Blend::None, GL_NONE}; }
};

// Sets all of it.
void applyPassState(const PassState& state);

}  // namespace qm
