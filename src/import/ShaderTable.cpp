#include "ShaderTable.h"

#include <fstream>
#include <iostream>

#include "GraphicsResources.h"
#include "ImportContext.h"

namespace qm {

int programKind(const std::string& word)
{
    if (word == "lighting")
        return 1;
    if (word == "forward")
        return 2;
    return 0;
}

ShaderTable parseShaderTable(std::istream& in)
{
    ShaderTable table;
    std::string first;
    std::string second;
    bool inMaterials = false;
    bool atStart = true;
    while (in >> first) {
        if (atStart && first.rfind("\xEF\xBB\xBF", 0) == 0)
            first.erase(0, 3);
        atStart = false;
        if (first.empty())
            continue;
        if (!inMaterials && first == "###") {
            inMaterials = true;
            continue;
        }
        // A program name directly before the separator has no kind: the separator still counts.
        if (!(in >> second) || (!inMaterials && second == "###")) {
            table.unpaired.push_back(first);
            inMaterials = inMaterials || second == "###";
            continue;
        }
        if (inMaterials)
            table.materials.emplace_back(first, second);
        else
            table.programs.emplace_back(first, programKind(second));
    }
    return table;
}

void applyShaderTable(ImportContext& r, const ShaderTable& table, const std::string& fileName)
{
    for (const std::string& word : table.unpaired)
        *r.build.log.problems << "Ignoring the unpaired word \"" << word << "\" in " << fileName << "." << std::endl;
    // The kinds of the table's programs are read but not needed.
    for (const auto& program : table.programs) {
        const std::string& name = program.first;
        if (!r.session.shadersByName.count(name))
            r.session.shadersByName[name] = r.session.resources->program(r.session.assetDirectory + "/" + name);
    }
    for (const auto& [material, program] : table.materials)
        r.build.materialShaderNames.emplace(material, program);
}

void loadShaderSources(ImportContext& r)
{
    std::ifstream file(r.file(r.session.assetDirectory + "/shader_sources.txt"));
    if (!file) {
        *r.build.log.problems << "Could not open shader_sources.txt." << std::endl;
        return;
    }
    applyShaderTable(r, parseShaderTable(file), "shader_sources.txt");
}

}  // namespace qm
