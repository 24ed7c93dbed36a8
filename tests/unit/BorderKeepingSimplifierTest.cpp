#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "BorderKeepingSimplifier.h"

namespace {

// An open, gently curved sheet of n x n quads.
qm::MeshData sheet(int n)
{
    qm::MeshData mesh;
    for (int y = 0; y <= n; ++y)
        for (int x = 0; x <= n; ++x)
            mesh.vertices.push_back(
                {{float(x), 0.2f * std::sin(float(x) * 0.3f) * std::cos(float(y) * 0.2f), float(y)}, {0, 1, 0}, {}});
    const auto at = [n](int x, int y) { return std::uint32_t(y * (n + 1) + x); };
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            mesh.indices.insert(mesh.indices.end(),
                                {at(x, y), at(x, y + 1), at(x + 1, y), at(x + 1, y), at(x, y + 1), at(x + 1, y + 1)});
    return mesh;
}

// The sheet loses about the asked share of its triangles, yet every vertex
// of its rim stays where it was, so its outline does not shrink.
TEST(BorderKeepingSimplifier, OpenBordersStayWhileTheInsideThins)
{
    const int n = 40;
    const qm::MeshData original = sheet(n);
    for (float share : {0.6f, 0.24f}) {
        SCOPED_TRACE(share);
        const auto simplified = qm::simplifyKeepingBorders(original.vertices, original.indices, share);
        ASSERT_TRUE(simplified);
        const std::size_t triangles = simplified->indices.size() / 3;
        EXPECT_LE(triangles, std::size_t(2 * n * n * share) + 2);
        EXPECT_GT(triangles, std::size_t(2 * n * n * share * 0.8f));

        std::set<std::pair<float, float>> kept;
        for (const qm::Vertex& v : simplified->vertices)
            kept.insert({v.position.x, v.position.z});
        for (int i = 0; i <= n; ++i) {
            for (const auto& rim : {std::pair{float(i), 0.0f}, std::pair{float(i), float(n)}, std::pair{0.0f, float(i)},
                                    std::pair{float(n), float(i)}})
                EXPECT_TRUE(kept.count(rim)) << rim.first << ", " << rim.second;
        }
        // Only used vertices are kept, and no room beyond them.
        std::set<std::uint32_t> used(simplified->indices.begin(), simplified->indices.end());
        EXPECT_EQ(used.size(), simplified->vertices.size());
        EXPECT_EQ(simplified->vertices.capacity(), simplified->vertices.size());
        EXPECT_EQ(simplified->indices.capacity(), simplified->indices.size());
    }
    // A single triangle cannot lose anything.
    const std::vector<qm::Vertex> corners(3);
    EXPECT_FALSE(qm::simplifyKeepingBorders(corners, std::vector<std::uint32_t>{0, 1, 2}, 0.24f));
}

}  // namespace
