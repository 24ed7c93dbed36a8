#pragma once

#include <memory>
#include <utility>

namespace qm {

class Scene;

// Draws one complete frame of its scene into the current context's window.
class Renderer {
public:
    virtual ~Renderer() = default;
    virtual void render() = 0;

    void setScene(std::shared_ptr<Scene> newScene) { scene = std::move(newScene); }
    const std::shared_ptr<Scene>& getScene() const { return scene; }

protected:
    std::shared_ptr<Scene> scene;
};

}  // namespace qm
