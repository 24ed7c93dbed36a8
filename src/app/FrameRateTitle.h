#pragma once

#include <cstdint>
#include <string>

namespace qm {

// "Quillmoor - " and the rate of a frame that took elapsedMs milliseconds,
// fixed notation with six decimals. A frame shorter than the clock's 1 ms
// resolution reads as 0 ms; it is shown as 1 ms (1000 frames per second)
// rather than as an infinite rate.
std::string frameRateTitle(std::uint32_t elapsedMs);

}  // namespace qm
