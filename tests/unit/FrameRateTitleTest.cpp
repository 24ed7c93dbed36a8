#include <gtest/gtest.h>

#include "FrameRateTitle.h"

namespace {

TEST(FrameRateTitle, ShowsSinglePrecisionRateWithSixDecimals)
{
    const struct {
        std::uint32_t elapsedMs;
        const char* title;
    } cases[] = {
        {20, "Quillmoor - 50.000000"},
        {3, "Quillmoor - 333.333344"},  // 1000 / 3 rounded to float first
        {1, "Quillmoor - 1000.000000"},
        {0, "Quillmoor - 1000.000000"},  // below the clock's resolution: finite
        {4000000000u, "Quillmoor - 0.000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(qm::frameRateTitle(c.elapsedMs), c.title) << c.elapsedMs << " ms";
}

}  // namespace
