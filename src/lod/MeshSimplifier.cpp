#include "MeshSimplifier.h"

#include <algorithm>

namespace qm {

MeshSimplifier::MeshSimplifier(std::span<const Vertex> vertices, std::span<const std::uint32_t> indices)
    : mesh_(vertices, indices)
{
    if (mesh_.gaveUp())
        return;
    // Each cost sorted together with its vertex: the same order as sorting
    // vertex numbers by their costs, without looking each cost up.
    struct Costed {
        float cost;
        std::uint32_t vertex;
    };
    const std::uint32_t count = mesh_.vertexCount();
    std::vector<Costed> byCost(count);
    std::vector<float> costs(count);
    for (std::uint32_t v = 0; v < count; ++v) {
        if (!mesh_.afford(v))
            return;
        mesh_.computeCost(v);
        costs[v] = mesh_.cost(v);
        byCost[v] = {costs[v], v};
    }
    std::sort(byCost.begin(), byCost.end(), [](const Costed& a, const Costed& b) { return a.cost < b.cost; });
    std::vector<std::uint32_t> sorted(count);
    for (std::uint32_t k = 0; k < count; ++k)
        sorted[k] = byCost[k].vertex;
    order_.fill(sorted, costs);
}

void MeshSimplifier::collapse(std::uint32_t u, std::uint32_t v)
{
    // u's neighbours are filed again below; their places in the heap lie
    // scattered, so they are asked for while the mesh collapses.
    for (std::uint32_t n : mesh_.neighbours(u))
        order_.prefetch(n);
    order_.erase(u);
    for (std::uint32_t n : mesh_.collapse(u, v)) {
        if (!mesh_.afford(n))
            return;
        mesh_.computeCost(n);
        order_.update(n, mesh_.cost(n));
    }
}

void MeshSimplifier::reduce(float ratio)
{
    std::size_t remaining = order_.size();
    const auto target = static_cast<std::size_t>(static_cast<float>(remaining) * ratio);
    if (remaining <= target)
        return;
    while (!mesh_.gaveUp()) {
        const std::uint32_t u = order_.front();
        if (mesh_.cost(u) == noCollapseCost)
            return;
        ++collapsedCount_;
        collapse(u, mesh_.collapseTarget(u));
        if (--remaining <= target)
            return;
    }
}

std::optional<MeshData> MeshSimplifier::simplify(float ratio)
{
    reduce(ratio);
    if (mesh_.gaveUp())
        return std::nullopt;
    return mesh_.write(order_.sorted());
}

}  // namespace qm
