#include "PlainSimplifier.h"

#include <algorithm>
#include <numeric>

namespace qm::reference {

PlainSimplifier::PlainSimplifier(std::span<const Vertex> vertices, std::span<const std::uint32_t> indices)
    : mesh(vertices, indices), slots(mesh.vertexCount()), slotOf(mesh.vertexCount())
{
    std::iota(slots.begin(), slots.end(), 0u);
    for (std::uint32_t v : slots)
        mesh.computeCost(v);
    std::sort(slots.begin(), slots.end(),
              [&](std::uint32_t a, std::uint32_t b) { return mesh.cost(a) < mesh.cost(b); });
    for (std::size_t i = 0; i < slots.size(); ++i)
        slotOf[slots[i]] = i;
}

void PlainSimplifier::swapSlots(std::size_t a, std::size_t b)
{
    std::swap(slots[a], slots[b]);
    slotOf[slots[a]] = a;
    slotOf[slots[b]] = b;
}

void PlainSimplifier::reposition(std::uint32_t n)
{
    std::size_t at = slotOf[n];
    while (at + 1 < slots.size() && mesh.cost(n) > mesh.cost(slots[at + 1])) {
        swapSlots(at, at + 1);
        ++at;
    }
    while (at > collapsedCount && mesh.cost(slots[at - 1]) > mesh.cost(n)) {
        swapSlots(at, at - 1);
        --at;
    }
}

void PlainSimplifier::reduce(float ratio)
{
    std::size_t remaining = slots.size() - collapsedCount;
    const auto target = static_cast<std::size_t>(static_cast<float>(remaining) * ratio);
    if (remaining <= target)
        return;
    while (true) {
        const std::uint32_t u = slots[collapsedCount];
        if (mesh.cost(u) == noCollapseCost)
            return;
        slots[collapsedCount++] = WorkingMesh::none;
        for (std::uint32_t n : mesh.collapse(u, mesh.collapseTarget(u))) {
            mesh.computeCost(n);
            reposition(n);
        }
        if (--remaining <= target)
            return;
    }
}

std::optional<MeshData> PlainSimplifier::simplify(float ratio)
{
    reduce(ratio);
    std::vector<std::uint32_t> order;
    std::copy_if(slots.begin(), slots.end(), std::back_inserter(order),
                 [](std::uint32_t v) { return v != WorkingMesh::none; });
    return mesh.write(order);
}

}  // namespace qm::reference
