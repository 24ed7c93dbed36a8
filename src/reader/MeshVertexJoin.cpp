#include "MeshVertexJoin.h"

#include <meshoptimizer.h>

#include <vector>

namespace qm {

namespace {

template <typename T>
void addStream(std::vector<meshopt_Stream>& streams, const std::vector<T>& values, std::size_t vertices)
{
    if (!values.empty())
        streams.push_back({values.data(), values.size() / vertices * sizeof(T), values.size() / vertices * sizeof(T)});
}

template <typename T>
void remapStream(std::vector<T>& values, std::size_t vertices, std::size_t kept, const std::vector<unsigned>& remap)
{
    if (values.empty())
        return;
    const std::size_t size = values.size() / vertices * sizeof(T);
    std::vector<T> joined(kept * (size / sizeof(T)));
    meshopt_remapVertexBuffer(joined.data(), values.data(), vertices, size, remap.data());
    values = std::move(joined);
}

}  // namespace

void joinMeshVertices(SceneMesh& mesh)
{
    const std::size_t vertices = mesh.vertexCount();
    if (vertices == 0 || !mesh.problem.empty())
        return;
    std::vector<std::uint32_t> used;
    used.reserve(mesh.triangles.size() + mesh.lines.size() + mesh.points.size());
    for (const auto* list : {&mesh.triangles, &mesh.lines, &mesh.points})
        used.insert(used.end(), list->begin(), list->end());
    // meshoptimizer counts in triangles; repeating an index adds no vertex.
    while (used.size() % 3 != 0)
        used.push_back(used.back());

    std::vector<meshopt_Stream> streams;
    addStream(streams, mesh.positions, vertices);
    addStream(streams, mesh.normals, vertices);
    addStream(streams, mesh.tangents, vertices);
    for (const auto& set : mesh.texCoords)
        addStream(streams, set, vertices);
    addStream(streams, mesh.colours, vertices);
    addStream(streams, mesh.boneIndices, vertices);
    addStream(streams, mesh.boneWeights, vertices);
    for (const MorphTarget& target : mesh.morphTargets) {
        addStream(streams, target.positions, vertices);
        addStream(streams, target.normals, vertices);
    }
    // Without primitives no vertex is kept.
    std::vector<unsigned> remap(vertices, ~0u);
    const std::size_t kept = used.empty() ? 0
                                          : meshopt_generateVertexRemapMulti(remap.data(), used.data(), used.size(),
                                                                             vertices, streams.data(), streams.size());
    if (kept == vertices && used.size() > 0) {
        bool unchanged = true;
        for (std::size_t v = 0; v < vertices && unchanged; ++v)
            unchanged = remap[v] == v;
        if (unchanged)
            return;
    }
    remapStream(mesh.positions, vertices, kept, remap);
    remapStream(mesh.normals, vertices, kept, remap);
    remapStream(mesh.tangents, vertices, kept, remap);
    for (auto& set : mesh.texCoords)
        remapStream(set, vertices, kept, remap);
    remapStream(mesh.colours, vertices, kept, remap);
    remapStream(mesh.boneIndices, vertices, kept, remap);
    remapStream(mesh.boneWeights, vertices, kept, remap);
    for (MorphTarget& target : mesh.morphTargets) {
        remapStream(target.positions, vertices, kept, remap);
        remapStream(target.normals, vertices, kept, remap);
    }
    // By hand: meshoptimizer's remap of an index list takes triangles only.
    for (auto* list : {&mesh.triangles, &mesh.lines, &mesh.points})
        for (std::uint32_t& index : *list)
            index = remap[index];
}

}  // namespace qm
