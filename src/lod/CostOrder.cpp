#include "CostOrder.h"

#include <algorithm>

namespace qm {

void CostOrder::fill(std::span<const Costed> sorted)
{
    heap_.clear();
    at_.assign(sorted.size(), 0);
    // A sorted array is a heap already.
    for (const Costed& c : sorted) {
        heap_.push_back({std::int64_t(heap_.size()), c.cost, c.vertex});
        at_[c.vertex] = std::uint32_t(heap_.size() - 1);
    }
    lowest_ = 0;
    highest_ = std::int64_t(heap_.size()) - 1;
}

void CostOrder::siftUp(std::size_t i)
{
    const Entry entry = heap_[i];
    while (i > 0) {
        const std::size_t parent = (i - 1) / arity;
        if (!before(entry, heap_[parent]))
            break;
        place(i, heap_[parent]);
        i = parent;
    }
    place(i, entry);
}

void CostOrder::siftDown(std::size_t i)
{
    const Entry entry = heap_[i];
    const std::size_t n = heap_.size();
    while (true) {
        const std::size_t first = arity * i + 1;
        if (first >= n)
            break;
        std::size_t child = first;
        for (std::size_t c = first + 1; c < std::min(first + arity, n); ++c) {
            if (before(heap_[c], heap_[child]))
                child = c;
        }
        if (!before(heap_[child], entry))
            break;
        place(i, heap_[child]);
        i = child;
    }
    place(i, entry);
}

void CostOrder::erase(std::uint32_t vertex)
{
    const std::size_t i = at_[vertex];
    const Entry last = heap_.back();
    heap_.pop_back();
    if (i == heap_.size())
        return;
    const bool up = before(last, heap_[i]);
    place(i, last);
    if (up)
        siftUp(i);
    else
        siftDown(i);
}

void CostOrder::update(std::uint32_t vertex, float cost)
{
    const std::size_t i = at_[vertex];
    Entry& entry = heap_[i];
    if (cost > entry.cost) {
        entry = {--lowest_, cost, vertex};
        siftDown(i);
    } else if (cost < entry.cost) {
        entry = {++highest_, cost, vertex};
        siftUp(i);
    }
}

std::vector<std::uint32_t> CostOrder::sorted() const
{
    std::vector<Entry> entries(heap_);
    // Through a lambda, which the sort inlines, rather than a function pointer.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return before(a, b); });
    std::vector<std::uint32_t> order;
    order.reserve(entries.size());
    for (const Entry& e : entries)
        order.push_back(e.vertex);
    return order;
}

}  // namespace qm
