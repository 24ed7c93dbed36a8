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

// A binary glTF file: its JSON chunk, then a binary chunk.
std::string glb(const std::string& json, const std::string& binary)
{
    const auto word = [](std::size_t value) {
        return std::string{char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
    };
    return "glTF" + word(2) + word(28 + json.size() + binary.size()) + word(json.size()) + "JSON" + json +
           word(binary.size()) + std::string("BIN\0", 4) + binary;
}

TEST(ModelNesting, JsonCountsObjectsAndArraysOutsideStrings)
{
    const struct {
        const char* name;
        std::string text;
        bool deeper;  // than 3 levels
    } cases[] = {
        {"three levels", R"({"a":[{"b":1}]})", false},
        {"arrays count", R"({"a":[[[1]]]})", true},
        {"braces in strings", R"({"a":"{{{{[[[["})", false},
        {"an escaped quote does not end the string", R"({"a":"\"{{{{"})", false},
        {"an escaped backslash does", R"({"a":"\\","b":{"c":{"d":{}}}})", true},
        {"FBX comments mean nothing in JSON", "[\n; [[[\n]", true},
        {"leading white space", " \r\n\t[[[[]]]]", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nestsDeeperThan(c.text, 3), c.deeper) << c.name;
}

// Binary data holds the byte "{" by chance: only the text a reader parses
// recursively counts, in each layout.
TEST(ModelNesting, BinaryDataIsNeverCounted)
{
    const std::string braces(5000, '{');
    const std::string deepJson = R"({"a":)" + std::string(4, '[') + "1" + std::string(4, ']') + "}";
    const std::string stl = std::string(80, ' ') + std::string{char(100), 0, 0, 0} + std::string(5000, '{');
    const struct {
        const char* name;
        std::string file;
        bool deeper;  // than 3 levels
    } cases[] = {
        {"binary PLY data", "ply\nformat binary_little_endian 1.0\nelement vertex 1000\nend_header\n" + braces, false},
        {"binary PLY data after blank lines", "\r\nply\nformat binary_little_endian 1.0\nend_header\n" + braces, false},
        {"ASCII FBX after a zero byte", "; FBX 7.4.0 project file\n" + std::string(1, '\0') + braces, false},
        {"ASCII FBX before it", "; FBX 7.4.0 project file\n" + braces + std::string(1, '\0'), true},
        {"binary STL, told by its size", stl, false},
        {"GLB binary chunk", glb(R"({"asset":{}})", braces), false},
        {"GLB JSON chunk", glb(deepJson, ""), true},
        {"GLB JSON chunk ends at its length", glb(R"({"a":1}    )", braces).replace(12, 1, 1, char(8)), false},
        {"GLB without a JSON chunk", glb(deepJson, "").replace(16, 4, "BIN "), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nestsDeeperThan(c.file, 3), c.deeper) << c.name;
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
