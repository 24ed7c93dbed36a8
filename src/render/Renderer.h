#pragma once

#include <memory>
#include <optional>
#include <utility>

#include "FrameProfiler.h"
#include "Math.h"

namespace qm {

class Scene;

// Draws one complete frame of its scene into the current context's window.
class Renderer {
public:
    virtual ~Renderer() = default;
    virtual void render() = 0;
    // Where the last frame drew an opaque surface at window pixel (x, y),
    // counted from the top left, in view space; nothing over the sky.
    virtual std::optional<glm::vec3> surfaceAt(int /*x*/, int /*y*/) const { return std::nullopt; }

    void setScene(std::shared_ptr<Scene> newScene) { scene = std::move(newScene); }
    const std::shared_ptr<Scene>& getScene() const { return scene; }

    // Optional: told where each pass begins.
    FrameProfiler* profiler = nullptr;

protected:
    std::shared_ptr<Scene> scene;
};

}  // namespace qm
