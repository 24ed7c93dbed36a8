#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ModelSummary.h"

struct ImGuiContext;

namespace qm {

class OverlayDrawing;

// The on-screen information drawn over an opened model's frame: the help
// card (F1 or ?), which lists the keys and buttons of the camera in use,
// and the information panel (I). Needs the current GL context for its
// whole life.
class Overlay {
public:
    Overlay(int width, int height);
    ~Overlay();
    Overlay(const Overlay&) = delete;
    Overlay& operator=(const Overlay&) = delete;

    bool helpShown = false;
    bool infoShown = false;

    // Draws what is shown over the frame in the default framebuffer: the
    // help card for the camera in use, the information on `model` with the
    // frame's time.
    void draw(float seconds, bool flying, const ModelSummary* model);

private:
    ImGuiContext* context = nullptr;
    std::unique_ptr<OverlayDrawing> drawing;
};

// The help card's lines, "keys - what they do", for the orbit camera or
// the fly camera of an opened model.
std::vector<std::string> helpLines(bool flying);

// The information panel's lines: the file and what it holds, the frame's
// time and rate, and the viewer's memory.
std::vector<std::string> infoLines(const ModelSummary& model, float frameSeconds, std::uint64_t memoryBytes);

// The viewer's resident memory in bytes; 0 when it cannot be told.
std::uint64_t residentMemory();

}  // namespace qm
