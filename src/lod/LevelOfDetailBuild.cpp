#include "LevelOfDetailBuild.h"

#include <iostream>
#include <thread>
#include <vector>

#include "Billboard.h"
#include "ImportRegistries.h"
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

void generateLODRange(std::size_t first, std::size_t last)
{
    const std::vector<std::shared_ptr<MeshLOD>>& chains = registries().lodList;
    for (std::size_t i = first; i < last; ++i) {
        // One write per line, so that the workers' lines never mix.
        std::cout << "...\n" << std::flush;
        MeshLOD& chain = *chains[i];
        const std::shared_ptr<Mesh> original = chain.getLevel(0);
        MeshSimplifier simplifier(original->getVertices(), original->getIndices(), original->getMaterial());
        chain.levels[1] = simplifier.simplify(0.6f);
        if (i == 10)
            std::cout << "Almost there...\n" << std::flush;
        chain.levels[2] = simplifier.simplify(0.4f);
        if (!chain.levels[2]) {
            chain.levels[1] = chain.levels[2] = original;
            std::cerr << "Keeping the mesh \"" + chain.name + "\" at full detail: simplifying it would take too long.\n"
                      << std::flush;
        }
    }
}

void generateLODs()
{
    ImportRegistries& r = registries();
    r.lodList.clear();
    r.lodList.reserve(r.meshLODs.size());
    for (const auto& [name, chain] : r.meshLODs) {
        chain->name = name;
        const BoundingBox box = chain->getBoundingBox();
        chain->levels[3] = createBillboard(name, box.halfExtents.x * 2.0f, box.halfExtents.y * 4.0f);
        r.lodList.push_back(chain);
    }
    const std::size_t chains = r.lodList.size();
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < lodWorkers; ++i) {
        const WorkerRange range = workerRange(i, chains);
        workers.emplace_back(generateLODRange, range.first, range.last);
    }
    const WorkerRange rest = callerRange(chains);
    if (rest.first < rest.last)
        generateLODRange(rest.first, rest.last);
    for (std::thread& worker : workers)
        worker.join();
}

}  // namespace qm
