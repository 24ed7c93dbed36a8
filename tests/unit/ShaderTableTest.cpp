#include <gtest/gtest.h>

#include <sstream>

#include "ShaderTable.h"

namespace {

using Programs = std::vector<std::pair<std::string, int>>;
using Materials = std::vector<std::pair<std::string, std::string>>;

TEST(ShaderTable, ReadsProgramsThenMaterialsWhateverTheWhiteSpace)
{
    const struct {
        const char* name;
        std::string text;
        Programs programs;
        Materials materials;
        std::vector<std::string> unpaired;
    } cases[] = {
        {"one pair a line", "P1 lighting\nP2 forward\nP3 other\n###\nM1 P3\nM2 P1\n",
         {{"P1", 1}, {"P2", 2}, {"P3", 0}}, {{"M1", "P3"}, {"M2", "P1"}}, {}},
        {"several pairs a line, tabs, blank lines", "P1\tlighting P2 forward\n\n\nP3 other ### M1 P3 M2\tP1",
         {{"P1", 1}, {"P2", 2}, {"P3", 0}}, {{"M1", "P3"}, {"M2", "P1"}}, {}},
        {"Windows line ends", "P1 lighting\r\n###\r\nM1 P1\r\n", {{"P1", 1}}, {{"M1", "P1"}}, {}},
        {"byte-order mark", "\xEF\xBB\xBFP1 forward\n###\nM1 P1\n", {{"P1", 2}}, {{"M1", "P1"}}, {}},
        {"kinds are case-sensitive", "P1 Lighting P2 FORWARD ###", {{"P1", 0}, {"P2", 0}}, {}, {}},
        {"no separator", "P1 lighting P2 forward", {{"P1", 1}, {"P2", 2}}, {}, {}},
        {"duplicates kept in file order", "P1 lighting P1 forward ### M1 P1 M1 P2",
         {{"P1", 1}, {"P1", 2}}, {{"M1", "P1"}, {"M1", "P2"}}, {}},
        {"unpaired program before the separator", "P1 lighting P2 ### M1 P1", {{"P1", 1}}, {{"M1", "P1"}}, {"P2"}},
        {"unpaired material at the end", "P1 lighting ### M1 P1 M2", {{"P1", 1}}, {{"M1", "P1"}}, {"M2"}},
        {"unpaired program at the end", "P1 lighting P2", {{"P1", 1}}, {}, {"P2"}},
        {"empty", "", {}, {}, {}},
        {"a second separator is a material name", "### ### P1", {}, {{"###", "P1"}}, {}},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.text);
        const qm::ShaderTable table = qm::parseShaderTable(in);
        EXPECT_EQ(table.programs, c.programs) << c.name;
        EXPECT_EQ(table.materials, c.materials) << c.name;
        EXPECT_EQ(table.unpaired, c.unpaired) << c.name;
    }
}

}  // namespace
