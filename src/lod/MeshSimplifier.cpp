#include "MeshSimplifier.h"

#include <algorithm>
#include <numeric>

namespace qm {

MeshSimplifier::MeshSimplifier(std::span<const Vertex> vertices, std::span<const std::uint32_t> indices)
    : mesh_(vertices, indices)
{
    if (mesh_.gaveUp())
        return;
    std::vector<std::uint32_t> sorted(mesh_.vertexCount());
    std::iota(sorted.begin(), sorted.end(), 0u);
    std::vector<float> costs(sorted.size());
    for (std::uint32_t v : sorted) {
        if (!mesh_.afford(v))
            return;
        mesh_.computeCost(v);
        costs[v] = mesh_.cost(v);
    }
    std::sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) { return costs[a] < costs[b]; });
    order_.fill(sorted, costs);
}

void MeshSimplifier::collapse(std::uint32_t u, std::uint32_t v)
{
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
