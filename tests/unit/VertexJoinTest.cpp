#include <gtest/gtest.h>

#include "MeshData.h"
#include "VertexJoin.h"

namespace {

qm::Vertex vertex(float x, float u = 0.0f, float nz = 1.0f)
{
    return {{x, 0.0f, 0.0f}, {0.0f, 0.0f, nz}, {u, 0.0f}};
}

TEST(VertexJoin, JoinsEqualRecordsOnlyKeepingTheOrderOfFirstUse)
{
    const struct {
        const char* name;
        qm::MeshData mesh;
        std::vector<float> xs;  // the kept vertices' x, in order
        std::vector<std::uint32_t> indices;
    } cases[] = {
        {"equal records join", {{vertex(0), vertex(1), vertex(2), vertex(0), vertex(2), vertex(3)}, {0, 1, 2, 3, 4, 5}},
         {0, 1, 2, 3}, {0, 1, 2, 0, 2, 3}},
        {"a texture seam stays", {{vertex(0), vertex(1), vertex(0, 0.5f)}, {0, 1, 2}}, {0, 1, 0}, {0, 1, 2}},
        {"a crease stays", {{vertex(0), vertex(1), vertex(0, 0.0f, -1.0f)}, {0, 1, 2}}, {0, 1, 0}, {0, 1, 2}},
        {"first use sets the order", {{vertex(0), vertex(1), vertex(2)}, {2, 0, 1}}, {2, 0, 1}, {0, 1, 2}},
        {"unused vertices go", {{vertex(0), vertex(9), vertex(1), vertex(2)}, {0, 2, 3}}, {0, 1, 2}, {0, 1, 2}},
        {"nothing to join", {{}, {}}, {}, {}},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<qm::Vertex> kept = qm::joinIdenticalVertices(c.mesh.vertices, c.mesh.indices);
        std::vector<float> xs;
        for (const qm::Vertex& v : kept)
            xs.push_back(v.position.x);
        EXPECT_EQ(xs, c.xs);
        EXPECT_EQ(c.mesh.indices, c.indices);
    }
}

}  // namespace
