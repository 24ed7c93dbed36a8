#include "LevelOfDetailBuild.h"

#include <atomic>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "Billboard.h"
#include "BorderKeepingSimplifier.h"
#include "ByteCodec.h"
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

// One write per line, so that the workers' lines never mix.
void startMark(const ImportContext& r)
{
    if (r.build.policy.progressMarks)
        *r.build.log.progress << "...\n" << std::flush;
}

void middleMark(const ImportContext& r, std::size_t i)
{
    if (r.build.policy.progressMarks && i == 10)
        *r.build.log.progress << "Almost there...\n" << std::flush;
}

void chainDone(const ImportContext& r, const MeshLOD& chain)
{
    // Deforming meshes are not given to the built-in simplifier (see generateLODRange).
    if (r.build.policy.lod == LodMethod::Builtin && chain.levels[2] == chain.levels[0] && !chain.levels[0]->deformation)
        *r.build.log.problems << "Keeping the mesh \"" + chain.name + "\" at full detail: simplifying it would take too long.\n"
                              << std::flush;
    if (!r.build.policy.progressMarks)
        *r.build.log.progress << "Level of detail: " + std::to_string(++chainsDone) + "/" + std::to_string(r.build.lodList.size()) +
                         " meshes\n"
                  << std::flush;
}

// A level of a deforming mesh: fewer triangles of the original's vertices,
// which its bones and morph targets are numbered by and which it reads
// (see Mesh.h); the original itself where nothing could be removed.
std::shared_ptr<Mesh> keptVertexLevel(std::vector<std::uint32_t> indices, const std::shared_ptr<Mesh>& original)
{
    if (indices.empty())
        return original;
    auto level = std::make_shared<Mesh>(std::vector<Vertex>{}, std::move(indices), original->getMaterial());
    level->deformation = original->deformation;
    return level;
}

void buildBuiltinLevels(MeshLOD& chain)
{
    const std::shared_ptr<Mesh> original = chain.getLevel(0);
    MeshSimplifier simplifier(original->getVertices(), original->getIndices());
    std::optional<MeshData> level1 = simplifier.simplify(0.6f);
    std::optional<MeshData> level2 = simplifier.simplify(0.4f);
    chain.levels[1] = levelOf(std::move(level1), original);
    chain.levels[2] = levelOf(std::move(level2), original);
    if (chain.levels[2] == original)
        chain.levels[1] = original;
}

}  // namespace

void generateLODRange(const ImportContext& r, std::size_t first, std::size_t last)
{
    const std::vector<std::shared_ptr<MeshLOD>>& chains = r.build.lodList;
    for (std::size_t i = first; i < last; ++i) {
        MeshLOD& chain = *chains[i];
        startMark(r);
        if (chain.levels[0]->primitive() != Primitive::Triangles || r.build.policy.thumbnail) {
            // Points and lines have no surface to simplify, and a single
            // picture needs no levels: every level is the original.
            chain.levels[1] = chain.levels[2] = chain.levels[0];
        } else if (const std::shared_ptr<Mesh>& original = chain.levels[0]; original->deformation) {
            // Only the index list changes, whichever simplifier was asked for.
            chain.levels[1] = keptVertexLevel(
                simplifyIndicesKeepingBorders(original->getVertices(), original->getIndices(), 0.6f), original);
            chain.levels[2] = keptVertexLevel(
                simplifyIndicesKeepingBorders(original->getVertices(), original->getIndices(), 0.24f), original);
        } else if (r.build.policy.lod == LodMethod::KeepBorders) {
            // The built-in simplifier's shares: 60 % of the mesh, then 40 % of that.
            const std::shared_ptr<Mesh>& original = chain.levels[0];
            chain.levels[1] = levelOf(simplifyKeepingBorders(original->getVertices(), original->getIndices(), 0.6f),
                                      original);
            chain.levels[2] = levelOf(simplifyKeepingBorders(original->getVertices(), original->getIndices(), 0.24f),
                                      original);
        } else {
            middleMark(r, i);
            buildBuiltinLevels(chain);
        }
        chainDone(r, chain);
    }
}

void attachBillboards(ImportContext& r)
{
    chainsDone = 0;
    r.build.lodList.clear();
    r.build.lodList.reserve(r.build.meshLODs.size());
    for (const auto& [name, chain] : r.build.meshLODs) {
        chain->name = name;
        const BoundingBox box = chain->getBoundingBox();
        chain->levels[3] = createBillboard(*r.session.resources, r.build.pictures.load(r.file(r.session.assetDirectory + "/" + name + ".png")),
                                           r.session.billboardShader, box.halfExtents.x * 2.0f, box.halfExtents.y * 4.0f);
        r.build.lodList.push_back(chain);
    }
}

void generateLODs(ImportContext& r)
{
    attachBillboards(r);
    buildLevels(r);
}

void buildLevels(ImportContext& r)
{
    chainsDone = 0;
    const std::size_t chains = r.build.lodList.size();
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

namespace {

// A level as it is kept: 0 for the original itself, 1 and its records, or
// 2 and its indices into the original's vertices (a deforming mesh's).
void writeLevel(ByteWriter& out, const std::shared_ptr<Mesh>& level, const std::shared_ptr<Mesh>& original)
{
    const std::uint8_t kind = level == original ? 0 : original->deformation ? 2 : 1;
    out.value(kind);
    if (kind == 1)
        out.array(level->getVertices());
    if (kind != 0)
        out.array(level->getIndices());
}

// A kept level; nothing when the bytes do not hold a sound one.
std::optional<std::shared_ptr<Mesh>> readLevel(ByteReader& in, const std::shared_ptr<Mesh>& original)
{
    const auto own = in.value<std::uint8_t>();
    if (own == 0)
        return original;
    // The kind must be the one this build writes for the original.
    if (own != (original->deformation ? 2 : 1))
        return std::nullopt;
    std::vector<Vertex> vertices = own == 1 ? in.array<Vertex>() : std::vector<Vertex>{};
    std::vector<std::uint32_t> indices = in.array<std::uint32_t>();
    if (!in.ok() || indices.size() % 3 != 0)
        return std::nullopt;
    const std::size_t named = own == 1 ? vertices.size() : original->getVertices().size();
    for (std::uint32_t i : indices)
        if (i >= named)
            return std::nullopt;
    auto level = std::make_shared<Mesh>(std::move(vertices), std::move(indices), original->getMaterial());
    level->deformation = original->deformation;
    return level;
}

}  // namespace

std::string encodeLevels(const ImportContext& r)
{
    ByteWriter out;
    out.value(std::uint64_t(r.build.lodList.size()));
    for (const auto& chain : r.build.lodList) {
        out.text(chain->name);
        writeLevel(out, chain->levels[1], chain->levels[0]);
        writeLevel(out, chain->levels[2], chain->levels[0]);
    }
    return std::move(out.bytes);
}

bool takeLevels(ImportContext& r, std::span<const std::uint8_t> levels)
{
    ByteReader in(levels);
    const std::size_t count = in.count(10);
    std::unordered_map<std::string, std::pair<std::shared_ptr<Mesh>, std::shared_ptr<Mesh>>> kept;
    for (std::size_t c = 0; c < count && in.ok(); ++c) {
        const std::string name = in.text();
        const auto chain = r.build.meshLODs.find(name);
        if (chain == r.build.meshLODs.end())
            return false;
        const std::shared_ptr<Mesh>& original = chain->second->levels[0];
        const auto level1 = readLevel(in, original);
        const auto level2 = level1 ? readLevel(in, original) : std::nullopt;
        if (!level2)
            return false;
        kept[name] = {*level1, *level2};
    }
    if (!in.ok() || !in.atEnd() || kept.size() != r.build.lodList.size())
        return false;
    chainsDone = 0;
    for (std::size_t i = 0; i < r.build.lodList.size(); ++i) {
        MeshLOD& chain = *r.build.lodList[i];
        std::tie(chain.levels[1], chain.levels[2]) = kept.at(chain.name);
        startMark(r);
        middleMark(r, i);
        chainDone(r, chain);
    }
    return true;
}

}  // namespace qm
