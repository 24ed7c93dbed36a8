#include "LevelOfDetailBuild.h"

#include <atomic>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Billboard.h"
#include "BorderKeepingSimplifier.h"
#include "ImportContext.h"
#include "MeshLOD.h"
#include "MeshSimplifier.h"

namespace qm {

WorkerRange workerRange(std::size_t worker, std::size_t chains)
{
    const std::size_t chunk = chains / lodWorkers;
    return {worker * chunk, (worker + 1) * chunk};
}

WorkerRange callerRange(std::size_t chains)
{
    return {lodWorkers * (chains / lodWorkers), chains};
}

namespace {

// The chains done so far, for a user model's progress lines.
std::atomic<std::size_t> chainsDone{0};

// A level as a mesh of the original's material; the original itself where
// the simplifier had nothing to give.
std::shared_ptr<Mesh> levelOf(std::optional<MeshData> data, const std::shared_ptr<Mesh>& original)
{
    if (!data)
        return original;
    return std::make_shared<Mesh>(std::move(data->vertices), std::move(data->indices), original->getMaterial());
}

// The built-in simplifier's levels, with the shipped scene's progress marks when asked.
void buildBuiltinLevels(MeshLOD& chain, std::size_t i, bool marks)
{
    // One write per line, so that the workers' lines never mix.
    if (marks)
        std::cout << "...\n" << std::flush;
    const std::shared_ptr<Mesh> original = chain.getLevel(0);
    MeshSimplifier simplifier(original->getVertices(), original->getIndices());
    std::optional<MeshData> level1 = simplifier.simplify(0.6f);
    if (marks && i == 10)
        std::cout << "Almost there...\n" << std::flush;
    std::optional<MeshData> level2 = simplifier.simplify(0.4f);
    chain.levels[1] = levelOf(std::move(level1), original);
    chain.levels[2] = levelOf(std::move(level2), original);
    if (chain.levels[2] == original) {
        chain.levels[1] = original;
        std::cerr << "Keeping the mesh \"" + chain.name + "\" at full detail: simplifying it would take too long.\n"
                  << std::flush;
    }
}

}  // namespace

void generateLODRange(const ImportContext& r, std::size_t first, std::size_t last)
{
    const std::vector<std::shared_ptr<MeshLOD>>& chains = r.lodList;
    const bool keepBorders = r.userModel && r.userModel->lod == LodMethod::KeepBorders;
    for (std::size_t i = first; i < last; ++i) {
        MeshLOD& chain = *chains[i];
        if (keepBorders) {
            // The built-in simplifier's shares: 60 % of the mesh, then 40 % of that.
            const std::shared_ptr<Mesh>& original = chain.levels[0];
            chain.levels[1] = levelOf(simplifyKeepingBorders(original->getVertices(), original->getIndices(), 0.6f),
                                      original);
            chain.levels[2] = levelOf(simplifyKeepingBorders(original->getVertices(), original->getIndices(), 0.24f),
                                      original);
        } else {
            buildBuiltinLevels(chain, i, !r.userModel);
        }
        if (r.userModel)
            std::cout << "Level of detail: " + std::to_string(++chainsDone) + "/" + std::to_string(chains.size()) +
                             " meshes\n"
                      << std::flush;
    }
}

void generateLODs(ImportContext& r)
{
    chainsDone = 0;
    r.lodList.clear();
    r.lodList.reserve(r.meshLODs.size());
    for (const auto& [name, chain] : r.meshLODs) {
        chain->name = name;
        const BoundingBox box = chain->getBoundingBox();
        chain->levels[3] = createBillboard(*r.resources, r.assetDirectory + "/" + name + ".png", r.billboardShader,
                                           box.halfExtents.x * 2.0f, box.halfExtents.y * 4.0f);
        r.lodList.push_back(chain);
    }
    const std::size_t chains = r.lodList.size();
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < lodWorkers; ++i) {
        const WorkerRange range = workerRange(i, chains);
        workers.emplace_back([&r, range] { generateLODRange(r, range.first, range.last); });
    }
    const WorkerRange rest = callerRange(chains);
    if (rest.first < rest.last)
        generateLODRange(r, rest.first, rest.last);
    for (std::thread& worker : workers)
        worker.join();
}

}  // namespace qm
