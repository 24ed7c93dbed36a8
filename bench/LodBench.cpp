// Levels 1 and 2 of any mesh file the model reader takes, built as the
// viewer builds them, against meshoptimizer's simplifier reducing the same
// mesh to the same triangle counts. One line per file and level:
//   <file> level <n> vertices <v> triangles <t> ms <ours> meshopt_ms <theirs>
//   ratio <ours/theirs> hausdorff <h> mean <m> meshopt_hausdorff <h> meshopt_mean <m>
// Distances are to the original surface, as fractions of its bounding-box diagonal.
// Then, per level, the levels an opened model gets (borders kept) against
// meshoptimizer with its border lock:
//   <file> borders level <n> triangles <t> hausdorff <h> meshopt_lockborder_hausdorff <h> hausdorff_ratio <r>
// Then the two levels together, and the most bytes the working mesh holds
// per input triangle against meshoptimizer's own allocations:
//   <file> levels 1+2 ms <ours> meshopt_ms <theirs> ratio <ours/theirs>
//   peak_bytes_per_triangle <ours> meshopt_peak_bytes_per_triangle <theirs>
// Usage: qm_lod_bench <mesh file>...
// With --scene <model file>: the level-of-detail build of all its meshes, in
// wall time, as one line: scene <file> meshes <n> triangles <t> lod_build_ms <ms>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <meshoptimizer.h>

#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <new>
#include <optional>

#include "BorderKeepingSimplifier.h"
#include "GraphicsResources.h"
#include "ImportContext.h"
#include "LevelOfDetailBuild.h"
#include "MeshLOD.h"
#include "MeshSimplifier.h"
#include "ModelReader.h"
#include "SceneConversion.h"
#include "SceneImport.h"
#include "SurfaceDistance.h"

// Every allocation of the program is counted, so that the simplifier's peak
// includes its temporaries; meshoptimizer's go through its allocator hook.
namespace {
std::atomic<std::size_t> liveBytes{0};
std::atomic<std::size_t> peakBytes{0};
bool counting = false;

void* counted(std::size_t size)
{
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    if (counting)
        peakBytes = std::max(peakBytes.load(), liveBytes += malloc_usable_size(p));
    return p;
}

void released(void* p)
{
    if (p && counting)
        liveBytes -= malloc_usable_size(p);
    std::free(p);
}

// Counts from zero while `work` runs; its peak live bytes.
template <typename Work>
std::size_t peakOf(Work work)
{
    liveBytes = peakBytes = 0;
    counting = true;
    work();
    counting = false;
    return peakBytes;
}
}  // namespace

void* operator new(std::size_t size) { return counted(size); }
void* operator new[](std::size_t size) { return counted(size); }
void operator delete(void* p) noexcept { released(p); }
void operator delete[](void* p) noexcept { released(p); }
void operator delete(void* p, std::size_t) noexcept { released(p); }
void operator delete[](void* p, std::size_t) noexcept { released(p); }

namespace {

using Clock = std::chrono::steady_clock;
constexpr int timedRuns = 5;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::vector<glm::vec3> positionsOf(const std::vector<qm::Vertex>& vertices)
{
    std::vector<glm::vec3> positions;
    for (const qm::Vertex& v : vertices)
        positions.push_back(v.position);
    return positions;
}

// Every mesh of the file in one list, as the import reads each.
// The file's scene data, read here with the reader the viewer's reader process runs.
std::optional<qm::SceneData> readScene(const char* path)
{
    Assimp::Importer importer;
    std::string error;
    const aiScene* scene = qm::readModelFile(importer, path, error);
    if (!scene) {
        std::cerr << path << ": " << error << std::endl;
        return std::nullopt;
    }
    return qm::toSceneData(*scene);
}

bool readMesh(const char* path, qm::MeshData& mesh)
{
    const std::optional<qm::SceneData> scene = readScene(path);
    if (!scene)
        return false;
    for (const qm::SceneMesh& sceneMesh : scene->meshes) {
        std::string problem;
        const auto data = qm::readMeshData(sceneMesh, problem);
        if (!data) {
            std::cerr << path << ": " << problem << std::endl;
            return false;
        }
        const auto offset = std::uint32_t(mesh.vertices.size());
        mesh.vertices.insert(mesh.vertices.end(), data->vertices.begin(), data->vertices.end());
        for (std::uint32_t index : data->indices)
            mesh.indices.push_back(index + offset);
    }
    return !mesh.indices.empty();
}

// The start-up's level-of-detail build for every distinct mesh of a model
// file, on the viewer's worker threads (billboards left out: they need GL).
int sceneBuild(const char* path)
{
    const std::optional<qm::SceneData> scene = readScene(path);
    if (!scene)
        return 1;
    qm::NoGraphics noGraphics;
    qm::ImportContext r;
    r.session.resources = &noGraphics;
    r.session.assetDirectory = "/nonexistent";
    std::size_t triangles = 0;
    for (const qm::SceneMesh& sceneMesh : scene->meshes) {
        std::string problem;
        auto data = qm::readMeshData(sceneMesh, problem);
        if (!data)
            continue;
        triangles += data->indices.size() / 3;
        auto mesh = std::make_shared<qm::Mesh>(std::move(data->vertices), std::move(data->indices), nullptr);
        auto chain = std::make_shared<qm::MeshLOD>(mesh, mesh, mesh);
        chain->computeBoundingBox();
        r.build.meshLODs.emplace(sceneMesh.name, chain);
    }
    std::streambuf* console = std::cout.rdbuf(nullptr);  // the workers' progress lines
    const auto start = Clock::now();
    qm::generateLODs(r);
    const double ms = millisecondsSince(start);
    std::cout.rdbuf(console);
    std::printf("scene %s meshes %zu triangles %zu lod_build_ms %.1f\n", path, r.build.lodList.size(), triangles, ms);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    meshopt_setAllocator(counted, released);
    if (argc == 3 && std::string(argv[1]) == "--scene")
        return sceneBuild(argv[2]);
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " <mesh file>...\n       " << argv[0] << " --scene <model file>"
                  << std::endl;
        return 2;
    }
    for (int f = 1; f < argc; ++f) {
        qm::MeshData original;
        if (!readMesh(argv[f], original))
            return 1;
        const std::vector<glm::vec3> positions = positionsOf(original.vertices);
        glm::vec3 lo(positions.front()), hi(positions.front());
        for (const glm::vec3& p : positions) {
            lo = glm::min(lo, p);
            hi = glm::max(hi, p);
        }
        const double diagonal = glm::distance(lo, hi);

        // Ours: level 1 includes building the working mesh (welding), level 2
        // continues from it. Both simplifiers are timed the same way: the
        // fastest of a few runs, so that neither pays alone for a cold cache
        // or a growing heap.
        std::vector<qm::MeshData> levels;
        std::vector<double> ours(2, std::numeric_limits<double>::infinity());
        double oursTogether = std::numeric_limits<double>::infinity();
        for (int run = 0; run < timedRuns; ++run) {
            levels.clear();
            const auto first = Clock::now();
            auto start = first;
            qm::MeshSimplifier simplifier(original.vertices, original.indices);
            for (std::size_t level = 0; level < 2; ++level) {
                levels.push_back(*simplifier.simplify(level == 0 ? 0.6f : 0.4f));
                ours[level] = std::min(ours[level], millisecondsSince(start));
                start = Clock::now();
            }
            oursTogether = std::min(oursTogether, millisecondsSince(first));
        }
        const std::size_t ourPeak = peakOf([&] {
            qm::MeshSimplifier simplifier(original.vertices, original.indices);
            simplifier.reduce(0.6f);
            simplifier.reduce(0.4f);
        });

        double theirsTogether = 0.0;
        std::size_t theirPeak = 0;
        for (std::size_t level = 0; level < levels.size(); ++level) {
            const qm::MeshData& mesh = levels[level];
            std::vector<std::uint32_t> theirs;
            double theirMs = std::numeric_limits<double>::infinity();
            for (int run = 0; run < timedRuns; ++run) {
                theirs.assign(original.indices.size(), 0);
                const auto start = Clock::now();
                theirs.resize(meshopt_simplify(theirs.data(), original.indices.data(), original.indices.size(),
                                               &positions[0].x, positions.size(), sizeof(glm::vec3),
                                               mesh.indices.size(), 1.0f, 0, nullptr));
                theirMs = std::min(theirMs, millisecondsSince(start));
            }
            theirsTogether += theirMs;
            std::vector<std::uint32_t> scratch(original.indices.size());
            theirPeak = std::max(theirPeak, peakOf([&] {
                meshopt_simplify(scratch.data(), original.indices.data(), original.indices.size(), &positions[0].x,
                                 positions.size(), sizeof(glm::vec3), mesh.indices.size(), 1.0f, 0, nullptr);
            }));

            const SurfaceDistance ourDistance =
                surfaceDistance(positions, original.indices, positionsOf(mesh.vertices), mesh.indices, 20000);
            const SurfaceDistance theirDistance = surfaceDistance(positions, original.indices, positions, theirs, 20000);
            std::printf("%s level %zu vertices %zu triangles %zu ms %.2f meshopt_ms %.2f ratio %.2f hausdorff %.5f "
                        "mean %.6f meshopt_hausdorff %.5f meshopt_mean %.6f\n",
                        argv[f], level + 1, mesh.vertices.size(), mesh.indices.size() / 3, ours[level],
                        theirMs, ours[level] / theirMs, ourDistance.hausdorff / diagonal, ourDistance.mean / diagonal,
                        theirDistance.hausdorff / diagonal, theirDistance.mean / diagonal);
        }

        const double triangles = double(original.indices.size() / 3);
        std::printf("%s levels 1+2 ms %.2f meshopt_ms %.2f ratio %.2f peak_bytes_per_triangle %.1f "
                    "meshopt_peak_bytes_per_triangle %.1f\n",
                    argv[f], oursTogether, theirsTogether, oursTogether / theirsTogether, double(ourPeak) / triangles,
                    double(theirPeak) / triangles);

        // The levels an opened model gets: kept borders, against meshoptimizer
        // with its border lock reducing the same mesh to the same triangle count.
        for (const float share : {0.6f, 0.24f}) {
            const qm::MeshData kept =
                qm::simplifyKeepingBorders(original.vertices, original.indices, share).value_or(original);
            std::vector<std::uint32_t> locked(original.indices.size());
            locked.resize(meshopt_simplify(locked.data(), original.indices.data(), original.indices.size(),
                                           &positions[0].x, positions.size(), sizeof(glm::vec3),
                                           kept.indices.size(), 1.0f, meshopt_SimplifyLockBorder, nullptr));
            const double keptHausdorff =
                surfaceDistance(positions, original.indices, positionsOf(kept.vertices), kept.indices, 20000)
                    .hausdorff /
                diagonal;
            const double lockedHausdorff =
                surfaceDistance(positions, original.indices, positions, locked, 20000).hausdorff / diagonal;
            std::printf("%s borders level %d triangles %zu hausdorff %.5f meshopt_lockborder_hausdorff %.5f "
                        "hausdorff_ratio %.2f\n",
                        argv[f], share > 0.5f ? 1 : 2, kept.indices.size() / 3, keptHausdorff, lockedHausdorff,
                        lockedHausdorff > 0.0 ? keptHausdorff / lockedHausdorff : 1.0);
        }
    }
    return 0;
}
