#pragma once

#include <memory>
#include <utility>

#include "AnimationHandler.h"
#include "InputManager.h"
#include "Renderer.h"

namespace qm {

// The application shell: owns the frame loop and what it drives.
class GraphicsApplication {
public:
    virtual ~GraphicsApplication() = default;

    // The main loop; returns once quit() has been called and that frame is done.
    virtual void run() = 0;
    virtual void quit() = 0;
    virtual void showWindow() = 0;

    void setRenderer(std::shared_ptr<Renderer> newRenderer) { renderer = std::move(newRenderer); }
    void setAnimationHandler(std::shared_ptr<AnimationHandler> handler) { animation = std::move(handler); }

    int width = 1600;
    int height = 900;

protected:
    // Released in reverse order: the animation, the input, the renderer.
    std::shared_ptr<Renderer> renderer;
    std::shared_ptr<InputManager> input;
    std::shared_ptr<AnimationHandler> animation;
};

}  // namespace qm
