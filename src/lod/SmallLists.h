#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace qm {

// Short lists of numbers, one per owner, side by side in one arena instead
// of one heap allocation each. A list has room for a multiple of four
// entries and moves to a block twice its size when full; the blocks left
// behind are reused.
class SmallLists {
public:
    SmallLists() = default;
    // Room for `expected[o]` entries in owner o's list, all lists empty.
    explicit SmallLists(std::span<const std::uint32_t> expected);

    std::span<const std::uint32_t> list(std::uint32_t owner) const
    {
        const Block& b = blocks_[owner];
        return {items_.data() + b.offset, b.size};
    }
    void push(std::uint32_t owner, std::uint32_t value)
    {
        Block& b = blocks_[owner];
        if (b.size == b.capacity)
            grow(b);
        items_[b.offset + b.size++] = value;
    }
    // Removes every entry equal to value, the others keeping their order;
    // answers how many went.
    std::uint32_t erase(std::uint32_t owner, std::uint32_t value)
    {
        Block& b = blocks_[owner];
        std::uint32_t* first = items_.data() + b.offset;
        std::uint32_t* last = std::remove(first, first + b.size, value);
        const auto removed = std::uint32_t(first + b.size - last);
        b.size -= removed;
        return removed;
    }
    void clear(std::uint32_t owner) { blocks_[owner].size = 0; }

private:
    struct Block {
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
        std::uint32_t capacity = 0;
    };
    void grow(Block& block);

    std::vector<std::uint32_t> items_;
    std::vector<Block> blocks_;
    // Offsets of blocks no list uses, by capacity / 4.
    std::vector<std::vector<std::uint32_t>> spare_;
};

}  // namespace qm
