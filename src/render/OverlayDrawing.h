#pragma once

struct ImDrawData;

namespace qm {

// Draws the on-screen overlay's lists of triangles over the frame in the
// default framebuffer (the GL side of the overlay, in GL 3.2 core). Made
// after the overlay's context, gone before it; needs the current GL context.
class OverlayDrawing {
public:
    OverlayDrawing();
    ~OverlayDrawing();
    OverlayDrawing(const OverlayDrawing&) = delete;
    OverlayDrawing& operator=(const OverlayDrawing&) = delete;

    // Before the overlay's frame is laid out.
    void newFrame();
    void draw(ImDrawData* lists);
};

}  // namespace qm
