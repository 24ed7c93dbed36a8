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
    std::vector<CostOrder::Costed> byCost(mesh_.vertexCount());
    for (std::uint32_t v = 0; v < byCost.size(); ++v) {
        if (!mesh_.afford(v))
            return;
        mesh_.computeCost(v);
        byCost[v] = {mesh_.cost(v), v};
    }
    std::sort(byCost.begin(), byCost.end(),
              [](const CostOrder::Costed& a, const CostOrder::Costed& b) { return a.cost < b.cost; });
    order_.fill(byCost);
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
