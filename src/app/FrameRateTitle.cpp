#include "FrameRateTitle.h"

#include <algorithm>

namespace qm {

std::string frameRateTitle(std::uint32_t elapsedMs)
{
    const float rate = 1000.0f / static_cast<float>(std::max<std::uint32_t>(elapsedMs, 1));
    return "Quillmoor - " + std::to_string(rate);
}

}  // namespace qm
