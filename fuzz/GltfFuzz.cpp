// The glTF reader on any bytes, as a .gltf's JSON or a whole .glb, with
// no folder to read other files from: it either refuses them with a reason
// or gives scene data that keeps its rules.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "GltfDocument.h"
#include "GltfReader.h"
#include "SceneDataFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const qm::SceneData scene = qm::readGltf({data, size}, {});
        if (const std::string problem = qm::sceneDataProblem(scene); !problem.empty()) {
            std::fprintf(stderr, "scene data against its rules: %s\n", problem.c_str());
            std::abort();
        }
    } catch (const qm::GltfError&) {
        // Refused, with its reason.
    }
    return 0;
}
