#pragma once

namespace qm {

// Told where each pass of a frame begins, so a benchmark can time them; the
// frame's end is marked as a pass named "end".
class FrameProfiler {
public:
    virtual ~FrameProfiler() = default;
    virtual void pass(const char* name) = 0;
};

}  // namespace qm
