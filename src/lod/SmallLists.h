#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    // Whether the owner's list holds value.
    bool contains(std::uint32_t owner, std::uint32_t value) const
    {
        const Block& b = blocks_[owner];
        const std::uint32_t* first = items_.data() + b.offset;
#if defined(__SSE2__)
        // Four entries to a compare: a block's room is a multiple of four,
        // and the lanes past the list's end (leftovers) are masked off.
        const __m128i wanted = _mm_set1_epi32(int(value));
        for (std::uint32_t i = 0; i < b.size; i += 4) {
            const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + i));
            unsigned hits = unsigned(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(four, wanted))));
            if (b.size - i < 4)
                hits &= (1u << (b.size - i)) - 1;
            if (hits != 0)
                return true;
        }
        return false;
#else
        return std::find(first, first + b.size, value) != first + b.size;
#endif
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
    // Asks for the owner's entries ahead of reading them.
    void prefetch(std::uint32_t owner) const { __builtin_prefetch(items_.data() + blocks_[owner].offset); }

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
