#pragma once

// Positions worked out by hand compared with what float arithmetic gives.
#include <gtest/gtest.h>

#include "Math.h"

inline void expectNear(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}
