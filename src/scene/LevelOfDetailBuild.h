#pragma once

#include <cstddef>
#include <ostream>

namespace qm {

struct ImportContext;

// Builds every chain's billboard (on this thread, it needs the GL context)
// and its two simplified levels (on ten worker threads and this one), from
// the import's name-to-chain map into its chain list. Returns when all are built.
void generateLODs(ImportContext& context);

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
