#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "FbxBinary.h"
#include "ModelNesting.h"

namespace {

using qm::nestsDeeperThan;
using scenegen::fbx::Node;

std::string repeat(const std::string& part, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += part;
    return out;
}

// A binary file whose one top-level record opens `levels` nested lists.
std::string binaryChain(int levels)
{
    Node top{"A", {std::int32_t(1)}, {}};
    Node* node = &top;
    for (int i = 0; i < levels; ++i)
        node = &node->add("A", std::int32_t(i));
    const std::vector<std::uint8_t> bytes = scenegen::fbx::encodeBinary({top});
    return std::string(bytes.begin(), bytes.end());
}

TEST(ModelNesting, AsciiCountsBracesOutsideStringsAndComments)
{
    const struct {
        const char* name;
        std::string text;
        bool deeper;  // than 3 levels
    } cases[] = {
        {"three levels", repeat("A: {", 3) + repeat("}", 3), false},
        {"four levels", repeat("A: {", 4) + repeat("}", 4), true},
        {"siblings do not add up", repeat("A: {B: {C: {}}}", 5), false},
        {"braces in strings", "A: \"{{{{{{\" {B: {}}", false},
        {"braces in comments", "; {{{{{{\nA: {}\n;{{{{\r{B: {}}", false},
        {"a quote ends the string, not the comment", "A: \"; {\" {B: {C: {D: {}}}}", true},
        {"stray closing braces do not bank depth", repeat("}", 10) + repeat("{", 4), true},
        {"empty", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nestsDeeperThan(c.text, 3), c.deeper) << c.name;
}

TEST(ModelNesting, BinaryCountsNestedRecordLists)
{
    EXPECT_FALSE(nestsDeeperThan(binaryChain(3), 3));
    EXPECT_TRUE(nestsDeeperThan(binaryChain(4), 3));
    EXPECT_FALSE(nestsDeeperThan(binaryChain(200), qm::maxModelNesting));

    // Cut anywhere, the walk ends without reading past the end.
    const std::string whole = binaryChain(6);
    for (std::size_t size = 0; size < whole.size(); ++size)
        nestsDeeperThan(std::string_view(whole).substr(0, size), 3);
}

TEST(ModelNesting, RealModelFilesAreShallow)
{
    for (const char* path : {QM_BUILD_DIRECTORY "/QM/QM.fbx", QM_BUILD_DIRECTORY "/QM/sphere.fbx",
                             QM_BUILD_DIRECTORY "/QM-small.fbx", QM_TESTDATA_DIRECTORY "/fbx/duck.fbx",
                             QM_TESTDATA_DIRECTORY "/fbx/jeep1.fbx", QM_TESTDATA_DIRECTORY "/fbx/spider.fbx"}) {
        std::ifstream file(path, std::ios::binary);
        ASSERT_TRUE(file) << path;
        const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        EXPECT_FALSE(nestsDeeperThan(bytes, 8)) << path;
    }
}

}  // namespace
