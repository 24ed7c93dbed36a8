#pragma once

#include <istream>
#include <string>
#include <utility>
#include <vector>

namespace qm {

struct ImportContext;

// The words of "shader_sources.txt": program names with their kinds, then
// "###", then material names with their program names, in file order.
struct ShaderTable {
    std::vector<std::pair<std::string, int>> programs;
    std::vector<std::pair<std::string, std::string>> materials;
    // Words left without a partner at the end of a section; they are ignored.
    std::vector<std::string> unpaired;
};

// "lighting" is kind 1, "forward" kind 2, any other word kind 0.
int programKind(const std::string& word);

// Reads the table's words, separated by any white space. A byte-order mark
// before the first word is skipped.
ShaderTable parseShaderTable(std::istream& in);

// Loads every program of the table not loaded yet (from the import's asset
// directory) into the import's programs and records the material assignments (the first entry for a
// name wins). Unpaired words are reported with the file's name.
void applyShaderTable(ImportContext& context, const ShaderTable& table, const std::string& fileName);

// Reads "<asset directory>/shader_sources.txt", loads every listed program
// not loaded yet and records the material assignments (the first entry for
// a name wins). Reports a missing file and unpaired words.
void loadShaderSources(ImportContext& context);

}  // namespace qm
