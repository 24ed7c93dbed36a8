#include "SmallLists.h"

#include <algorithm>

namespace qm {

namespace {

std::uint32_t roomFor(std::uint32_t entries)
{
    return std::max<std::uint32_t>(4, (entries + 3) & ~3u);
}

}  // namespace

SmallLists::SmallLists(std::span<const std::uint32_t> expected) : blocks_(expected.size())
{
    std::size_t total = 0;
    for (std::size_t o = 0; o < expected.size(); ++o) {
        blocks_[o].offset = std::uint32_t(total);
        blocks_[o].capacity = roomFor(expected[o]);
        total += blocks_[o].capacity;
    }
    items_.resize(total);
}

void SmallLists::grow(Block& block)
{
    const std::uint32_t capacity = block.capacity * 2;
    const std::size_t sizeClass = capacity / 4;
    if (spare_.size() <= sizeClass)
        spare_.resize(sizeClass + 1);
    std::uint32_t offset = 0;
    if (!spare_[sizeClass].empty()) {
        offset = spare_[sizeClass].back();
        spare_[sizeClass].pop_back();
    } else {
        offset = std::uint32_t(items_.size());
        items_.resize(items_.size() + capacity);
    }
    std::copy_n(items_.begin() + block.offset, block.size, items_.begin() + offset);
    if (spare_.size() <= block.capacity / 4)
        spare_.resize(block.capacity / 4 + 1);
    spare_[block.capacity / 4].push_back(block.offset);
    block.offset = offset;
    block.capacity = capacity;
}

}  // namespace qm
