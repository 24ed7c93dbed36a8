#pragma once

#include <memory>
#include <string>
#include <vector>

struct ImGuiContext;

namespace qm {

class OverlayDrawing;

// The on-screen information drawn over an opened model's frame: for now
// the help card (F1 or ?), which lists the keys and buttons of the camera
// in use. Needs the current GL context for its whole life.
class Overlay {
public:
    Overlay(int width, int height);
    ~Overlay();
    Overlay(const Overlay&) = delete;
    Overlay& operator=(const Overlay&) = delete;

    bool helpShown = false;

    // Draws what is shown over the frame in the default framebuffer; the
    // lines of the help card are those of the camera in use.
    void draw(float seconds, bool flying);

private:
    ImGuiContext* context = nullptr;
    std::unique_ptr<OverlayDrawing> drawing;
};

// The help card's lines, "keys - what they do", for the orbit camera or
// the fly camera of an opened model.
std::vector<std::string> helpLines(bool flying);

}  // namespace qm
