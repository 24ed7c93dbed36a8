#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace qm {

struct ImportContext;

// Builds every chain's billboard (on this thread, it needs the GL context)
// and its two simplified levels (on ten worker threads and this one), from
// the import's name-to-chain map into its chain list. Returns when all are built.
void generateLODs(ImportContext& context);

// generateLODs in its two steps: fills the chain list from the
// name-to-chain map and gives each chain its billboard; then builds the
// chains' levels 1 and 2.
void attachBillboards(ImportContext& context);
void buildLevels(ImportContext& context);

// The form of encodeLevels' bytes, which the scene cache's key holds: 3
// since vertices carry a second set of texture coordinates.
inline constexpr int levelsFormat = 3;

// The chain list's levels 1 and 2 as bytes, for the scene cache.
std::string encodeLevels(const ImportContext& context);

// buildLevels with the levels encodeLevels gave instead of building them,
// and the same console lines. False, with the chains' levels as they were,
// when the bytes do not hold a level pair for exactly this import's chains.
bool takeLevels(ImportContext& context, std::span<const std::uint8_t> levels);

// Levels 1 and 2 of the chain list's entries first to last - 1.
void generateLODRange(const ImportContext& context, std::size_t first, std::size_t last);

// How the chains are split: ten equal contiguous ranges, the remainder on the calling thread.
struct WorkerRange {
    std::size_t first;
    std::size_t last;
};
WorkerRange workerRange(std::size_t worker, std::size_t chains);
WorkerRange callerRange(std::size_t chains);
inline constexpr std::size_t lodWorkers = 10;

}  // namespace qm
