#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qm {

// The remaining vertices of a simplification, cheapest first. Among equal
// costs, a vertex whose cost rose goes in front of those already there, one
// whose cost fell goes behind them, and one whose cost stayed keeps its
// place: exactly where moving it by adjacent swaps through a sorted list
// would put it. A four-way heap on (cost, label) gives that order in
// logarithmic time: a rise takes a label below every label so far, a fall
// one above.
class CostOrder {
public:
    struct Costed {
        float cost;
        std::uint32_t vertex;
    };
    // Every vertex 0 to n - 1 with its cost, `sorted` listing them in cost order.
    void fill(std::span<const Costed> sorted);

    std::size_t size() const { return heap_.size(); }
    std::uint32_t front() const { return heap_.front().vertex; }
    void erase(std::uint32_t vertex);
    // Files the vertex under its new cost.
    void update(std::uint32_t vertex, float cost);
    // Asks for the vertex's place in the heap ahead of an update.
    void prefetch(std::uint32_t vertex) const
    {
        if (vertex < at_.size() && at_[vertex] < heap_.size())
            __builtin_prefetch(heap_.data() + at_[vertex]);
    }
    // The vertices in order.
    std::vector<std::uint32_t> sorted() const;

private:
    // 16 bytes: four children fill one cache line.
    struct Entry {
        std::int64_t label;
        float cost;
        std::uint32_t vertex;
    };
    static bool before(const Entry& a, const Entry& b)
    {
        return a.cost < b.cost || (a.cost == b.cost && a.label < b.label);
    }
    void place(std::size_t i, const Entry& entry)
    {
        heap_[i] = entry;
        at_[entry.vertex] = std::uint32_t(i);
    }
    // Four children to a node: half the depth of a binary heap, and the
    // children side by side in memory.
    static constexpr std::size_t arity = 4;
    void siftUp(std::size_t i);
    void siftDown(std::size_t i);

    std::vector<Entry> heap_;
    // Each vertex's place in the heap.
    std::vector<std::uint32_t> at_;
    std::int64_t lowest_ = 0;
    std::int64_t highest_ = 0;
};

}  // namespace qm
