#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ModelSummary.h"

struct ImGuiContext;

namespace qm {

class OverlayDrawing;
class Scene;

// The on-screen information drawn over an opened model's frame: the help
// card (F1 or ?), which lists the keys and buttons of the camera in use,
// the information panel (I), the timeline of the clip playing, with its
// bar to drag, and the grid's spacing while the grid shows. Needs the
// current GL context for its whole life.
class Overlay {
public:
    Overlay(int width, int height);
    ~Overlay();
    Overlay(const Overlay&) = delete;
    Overlay& operator=(const Overlay&) = delete;

    bool helpShown = false;
    bool infoShown = false;

    // Offered each mouse event before the camera: true when it is the
    // overlay's, a press or a wheel over one of its panels, and the moves
    // and release of a drag that began there.
    bool take(const SDL_Event& event);

    // Draws over the frame in the default framebuffer what is shown of
    // `scene` (the moor: only the help card), with the frame's time on the
    // processor and, when known, on the GPU. Dragging the timeline's bar
    // sets the clip's time.
    void draw(float seconds, std::optional<float> gpuSeconds, bool flying, Scene* scene);

private:
    ImGuiContext* context = nullptr;
    std::unique_ptr<OverlayDrawing> drawing;
    // Buttons pressed since the last frame: held for that frame even when
    // already let go, so that a quick click is not missed.
    bool pressed[3] = {false, false, false};
    // A press the overlay took, until its release.
    bool holding = false;
    // The panels the last frame showed, as their corners (left, top,
    // right, bottom), which take what the mouse does over them.
    std::vector<std::array<float, 4>> panels;
    bool over(int x, int y) const;
};

// The information panel's lines: the file and what it holds, the frame's
// time and rate, and the viewer's memory.
std::vector<std::string> infoLines(const ModelSummary& model, float frameSeconds, std::optional<float> gpuSeconds,
                                   std::uint64_t memoryBytes);

// The viewer's resident memory in bytes; 0 when it cannot be told.
std::uint64_t residentMemory();

}  // namespace qm
