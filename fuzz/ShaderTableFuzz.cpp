// The material-to-shader table reader on any bytes.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "ShaderTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    const qm::ShaderTable table = qm::parseShaderTable(in);
    // Every word read lands in exactly one place, and none is empty.
    for (const auto& [program, kind] : table.programs) {
        if (program.empty() || kind < 0 || kind > 2)
            std::abort();
    }
    for (const auto& [material, program] : table.materials) {
        if (material.empty() || program.empty())
            std::abort();
    }
    return 0;
}
