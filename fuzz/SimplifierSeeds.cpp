// Writes the simplifier fuzz target's seeds, in its input layout, from the
// generated scene's meshes and the test meshes given on the command line.
// Usage: qm_fuzz_simplifier_seeds <output folder> <mesh file>...
#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <vector>

#include "Models.h"

namespace {

void writeSeed(const std::filesystem::path& path, const std::vector<glm::vec3>& positions,
               const std::vector<std::uint32_t>& indices)
{
    if (positions.empty() || positions.size() > 0xffff)
        return;
    std::vector<std::uint8_t> bytes{std::uint8_t(positions.size()), std::uint8_t(positions.size() >> 8)};
    for (const glm::vec3& p : positions) {
        const std::size_t at = bytes.size();
        bytes.resize(at + 12);
        std::memcpy(bytes.data() + at, &p, 12);
    }
    for (std::uint32_t index : indices) {
        bytes.push_back(std::uint8_t(index));
        bytes.push_back(std::uint8_t(index >> 8));
    }
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " <output folder> <mesh file>..." << std::endl;
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out);
    const struct {
        const char* name;
        scenegen::GenMesh (*build)();
    } models[] = {{"glimmet", scenegen::models::glimmet},       {"signpost", scenegen::models::signpost},
                  {"fence", scenegen::models::fenceSegment},    {"door", scenegen::models::cottageDoor},
                  {"well", scenegen::models::wellBase},         {"chimney", scenegen::models::cottageChimney},
                  {"pine", scenegen::models::treePine},         {"spire", scenegen::models::chapelSpire}};
    for (const auto& model : models) {
        const scenegen::GenMesh mesh = model.build();
        writeSeed(out / model.name, mesh.positions, mesh.indices);
    }
    for (int f = 2; f < argc; ++f) {
        Assimp::Importer importer;
        const aiScene* scene = importer.ReadFile(argv[f], 0x0080000A);
        if (!scene || scene->mNumMeshes == 0)
            continue;
        const aiMesh& mesh = *scene->mMeshes[0];
        std::vector<glm::vec3> positions;
        for (unsigned v = 0; v < mesh.mNumVertices; ++v)
            positions.emplace_back(mesh.mVertices[v].x, mesh.mVertices[v].y, mesh.mVertices[v].z);
        std::vector<std::uint32_t> indices;
        for (unsigned t = 0; t < mesh.mNumFaces; ++t) {
            for (unsigned k = 0; k < mesh.mFaces[t].mNumIndices && mesh.mFaces[t].mNumIndices == 3; ++k)
                indices.push_back(mesh.mFaces[t].mIndices[k]);
        }
        writeSeed(out / std::filesystem::path(argv[f]).stem(), positions, indices);
    }
    return 0;
}
