#pragma once

#include <memory>
#include <utility>

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

    int width = 1600;
    int height = 900;

protected:
    std::shared_ptr<Renderer> renderer;
    std::shared_ptr<InputManager> input;
};

}  // namespace qm
