// Whether damaged files cost the viewer memory, as they would a user who
// opens file after file: damaged copies of each file given (cut at every
// eighth, and four bytes inverted at eight places) are read round after
// round through the model reader's process, as the viewer reads them, and
// the viewer's heap in use is printed after each round. One line a round:
//   round <r> reads <n> failed <f> heap_bytes <b>
// then the growth after the first round (which fills the reader's caches):
//   growth_per_read_bytes <g>
// Usage: qm_reader_memory_bench <rounds> <model file>...
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <filesystem>

#include "ReaderProcess.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> damagedCopies(const std::string& bytes)
{
    std::vector<std::string> copies;
    for (int eighth = 1; eighth < 8; ++eighth)
        copies.push_back(bytes.substr(0, bytes.size() * eighth / 8));
    for (int ninth = 1; ninth < 9 && bytes.size() >= 8; ++ninth) {
        std::string copy = bytes;
        const std::size_t at = std::min(copy.size() - 4, copy.size() * ninth / 9);
        for (std::size_t i = at; i < at + 4; ++i)
            copy[i] = char(~copy[i]);
        copies.push_back(std::move(copy));
    }
    copies.push_back(bytes);  // whole: a damaged file given as it is
    return copies;
}

std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s <rounds> <model file>...\n", argv[0]);
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    const qm::ReaderSettings settings = qm::readerSettings(QM_READER_PROGRAM);
    // Each copy as a file named like its original, for the reader to tell the format.
    const fs::path folder = fs::temp_directory_path() / ("qm-reader-memory-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::vector<std::string> inputs;
    for (int f = 2; f < argc; ++f) {
        std::ifstream file(argv[f], std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "%s: cannot be opened\n", argv[f]);
            return 1;
        }
        int n = 0;
        for (const std::string& copy : damagedCopies({std::istreambuf_iterator<char>(file), {}})) {
            const fs::path path = folder / (std::to_string(inputs.size()) + "-" + std::to_string(n++) +
                                            fs::path(argv[f]).extension().string());
            std::ofstream(path, std::ios::binary) << copy;
            inputs.push_back(path.string());
        }
    }
    std::size_t afterFirst = 0, last = 0;
    for (int round = 1; round <= rounds; ++round) {
        int failed = 0;
        for (const std::string& input : inputs)
            failed += qm::readInReaderProcess(input, settings).error.empty() ? 0 : 1;
        last = heapInUse();
        if (round == 1)
            afterFirst = last;
        std::printf("round %d reads %zu failed %d heap_bytes %zu\n", round, inputs.size(), failed, last);
    }
    if (rounds > 1)
        std::printf("growth_per_read_bytes %.1f\n",
                    (double(last) - double(afterFirst)) / double((rounds - 1) * inputs.size()));
    fs::remove_all(folder);
    return 0;
}
