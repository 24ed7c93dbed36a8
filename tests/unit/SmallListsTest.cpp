#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "SmallLists.h"

namespace {

// Lists of every length up to twelve, grown past their first room, with
// entries erased from the front, middle and end: the room past a list's
// end keeps erased numbers, which must not count as held.
TEST(SmallLists, HoldExactlyWhatIsLeftAfterGrowingAndErasing)
{
    const std::vector<std::uint32_t> expected(13, 2);
    qm::SmallLists lists(expected);
    std::vector<std::vector<std::uint32_t>> plain(expected.size());
    for (std::uint32_t owner = 0; owner < expected.size(); ++owner) {
        for (std::uint32_t k = 0; k < owner + 3; ++k) {
            lists.push(owner, 100 + k);
            plain[owner].push_back(100 + k);
        }
        for (const std::uint32_t gone : {100u, 101u + owner / 2, 102u + owner}) {
            EXPECT_EQ(lists.erase(owner, gone), 1u) << owner;
            std::erase(plain[owner], gone);
        }
        const auto list = lists.list(owner);
        EXPECT_EQ(std::vector<std::uint32_t>(list.begin(), list.end()), plain[owner]) << owner;
        for (std::uint32_t value = 99; value < 100 + owner + 4; ++value) {
            const bool held = std::find(plain[owner].begin(), plain[owner].end(), value) != plain[owner].end();
            EXPECT_EQ(lists.contains(owner, value), held) << "list " << owner << ", value " << value;
        }
    }
    lists.clear(5);
    EXPECT_FALSE(lists.contains(5, 103));
}

}  // namespace
