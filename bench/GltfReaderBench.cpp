// The two readers of glTF files side by side: for each file given, what the
// model reader (assimp) and the project's own glTF reader make of it, and
// how long each takes, best of three.
//   qm_gltf_reader_bench [--detail] FILE...
// One row a file: meshes, triangles, vertices, materials, textures, nodes,
// animations and lights with cameras, as "assimp/own", then the times in ms;
// below it, where both gave a mesh the same vertices, the largest difference
// in each attribute.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "GltfDocument.h"
#include "GltfReader.h"
#include "ModelReader.h"
#include "SceneConversion.h"

namespace {

struct Counts {
    std::size_t meshes = 0, triangles = 0, vertices = 0, materials = 0, textures = 0, nodes = 0, animations = 0,
                lightsAndCameras = 0;
    std::string refused;
};

Counts count(const qm::SceneData& data)
{
    Counts c;
    for (const qm::SceneMesh& mesh : data.meshes) {
        c.meshes += mesh.problem.empty() ? 1 : 0;
        c.triangles += mesh.triangles.size() / 3;
        c.vertices += mesh.vertexCount();
    }
    c.materials = data.materials.size();
    for (const qm::SceneMaterial& material : data.materials)
        c.textures += material.textures.size();
    c.nodes = data.nodes.size();
    c.animations = data.animations.size();
    c.lightsAndCameras = data.lights.size() + data.cameras.size();
    return c;
}

std::optional<qm::SceneData> byAssimp(const std::string& path, std::string& error)
{
    Assimp::Importer reader;
    const aiScene* scene = qm::readModelFile(reader, path, error);
    if (!scene)
        return std::nullopt;
    return qm::toSceneData(*scene);
}

std::optional<qm::SceneData> byOwn(const std::string& path, std::string& error)
{
    try {
        return qm::readGltfFile(path);
    } catch (const qm::GltfError& failure) {
        error = failure.what();
        return std::nullopt;
    }
}

float largestDifference(const std::vector<float>& a, const std::vector<float>& b)
{
    if (a.size() != b.size())
        return a.empty() || b.empty() ? -1.0f : 1e30f;
    float largest = 0.0f;
    for (std::size_t i = 0; i < a.size(); ++i)
        largest = std::max(largest, std::abs(a[i] - b[i]));
    return largest;
}

void compare(const qm::SceneData& a, const qm::SceneData& o)
{
    for (std::size_t m = 0; m < std::min(a.meshes.size(), o.meshes.size()); ++m) {
        const qm::SceneMesh& x = a.meshes[m];
        const qm::SceneMesh& y = o.meshes[m];
        std::printf("  mesh %zu: positions %g normals %g tangents %g uv0 %g uv1 %g colours %g weights %g targets %zu/%zu\n", m,
                    largestDifference(x.positions, y.positions), largestDifference(x.normals, y.normals),
                    largestDifference(x.tangents, y.tangents), largestDifference(x.texCoords[0], y.texCoords[0]),
                    largestDifference(x.texCoords[1], y.texCoords[1]), largestDifference(x.colours, y.colours),
                    largestDifference(x.boneWeights, y.boneWeights), x.morphTargets.size(), y.morphTargets.size());
    }
    for (std::size_t m = 0; m < std::min(a.materials.size(), o.materials.size()); ++m) {
        const qm::SceneMaterial& x = a.materials[m];
        const qm::SceneMaterial& y = o.materials[m];
        std::printf("  material %zu: base %g,%g,%g,%g/%g,%g,%g,%g metal %g/%g rough %g/%g emissive %g/%g\n", m,
                    x.baseColour[0], x.baseColour[1], x.baseColour[2], x.baseColour[3], y.baseColour[0], y.baseColour[1],
                    y.baseColour[2], y.baseColour[3], x.metallic, y.metallic, x.roughness, y.roughness,
                    x.emissive[0], y.emissive[0]);
        for (std::size_t t = 0; t < std::max(x.textures.size(), y.textures.size()); ++t) {
            const auto describe = [](const std::vector<qm::SceneTexture>& list, std::size_t i) {
                if (i >= list.size())
                    return std::string("-");
                const qm::SceneTexture& t = list[i];
                char line[256];
                std::snprintf(line, sizeof line, "slot %d %s image %d set %u offset %g,%g scale %g,%g rotation %g",
                              int(t.slot), t.path.c_str(), t.image, t.texCoordSet, t.offset[0], t.offset[1],
                              t.scale[0], t.scale[1], t.rotation);
                return std::string(line);
            };
            std::printf("    texture %zu: %s | %s\n", t, describe(x.textures, t).c_str(), describe(y.textures, t).c_str());
        }
    }
    for (std::size_t i = 0; i < std::min(a.animations.size(), o.animations.size()); ++i)
        std::printf("  animation %zu: duration %g/%g per second %g/%g channels %zu/%zu morph %zu/%zu\n", i,
                    a.animations[i].duration, o.animations[i].duration, a.animations[i].ticksPerSecond,
                    o.animations[i].ticksPerSecond, a.animations[i].nodeChannels.size(),
                    o.animations[i].nodeChannels.size(), a.animations[i].morphChannels.size(),
                    o.animations[i].morphChannels.size());
}

// The reader's counts, and its best time of three in milliseconds.
Counts measure(const std::function<std::optional<qm::SceneData>(const std::string&, std::string&)>& read,
               const std::string& path, double& best)
{
    Counts counts;
    best = 1e30;
    for (int run = 0; run < 3; ++run) {
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        const std::optional<qm::SceneData> data = read(path, error);
        best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        counts = data ? count(*data) : Counts{};
        counts.refused = data ? "" : (error.empty() ? "refused" : error);
    }
    return counts;
}

}  // namespace

int main(int argc, char** argv)
{
    std::printf("file meshes triangles vertices materials textures nodes animations lights+cameras assimp_ms own_ms\n");
    const bool detail = argc > 1 && std::string(argv[1]) == "--detail";
    for (int i = detail ? 2 : 1; i < argc; ++i) {
        double assimpTime = 0.0, ownTime = 0.0;
        const Counts a = measure(byAssimp, argv[i], assimpTime);
        const Counts o = measure(byOwn, argv[i], ownTime);
        std::printf("%s %zu/%zu %zu/%zu %zu/%zu %zu/%zu %zu/%zu %zu/%zu %zu/%zu %zu/%zu %.2f %.2f\n", argv[i], a.meshes,
                    o.meshes, a.triangles, o.triangles, a.vertices, o.vertices, a.materials, o.materials, a.textures,
                    o.textures, a.nodes, o.nodes, a.animations, o.animations, a.lightsAndCameras, o.lightsAndCameras,
                    assimpTime, ownTime);
        if (!a.refused.empty())
            std::printf("  assimp refused: %s\n", a.refused.c_str());
        if (!o.refused.empty())
            std::printf("  own refused: %s\n", o.refused.c_str());
        std::string error;
        if (detail) {
            const std::optional<qm::SceneData> x = byAssimp(argv[i], error), y = byOwn(argv[i], error);
            if (x && y)
                compare(*x, *y);
        }
    }
    return 0;
}
