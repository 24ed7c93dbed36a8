#pragma once

#include <GL/glew.h>

#include <array>
#include <cstddef>
#include <optional>

#include "FrameProfiler.h"

namespace qm {

// How long the GPU took over a whole frame, measured without waiting: each
// frame's query is read a few frames later, once its result is there.
// Needs the current GL context for its whole life.
class GpuFrameTime : public FrameProfiler {
public:
    GpuFrameTime();
    ~GpuFrameTime() override;
    GpuFrameTime(const GpuFrameTime&) = delete;
    GpuFrameTime& operator=(const GpuFrameTime&) = delete;

    void pass(const char* name) override;
    // The latest frame measured, in seconds; none before the first.
    std::optional<float> seconds() const { return latest; }

private:
    // Frames in flight, each with its own query.
    std::array<GLuint, 4> queries{};
    std::array<bool, 4> waiting{};
    std::size_t next = 0;
    bool timing = false;
    std::optional<float> latest;
};

}  // namespace qm
