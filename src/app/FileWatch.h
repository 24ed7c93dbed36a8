#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// Tells when any of a set of files has changed on disk: its size, its
// modification time or the file itself (an editor that saves by renaming
// a new file into place). A change counts once it has held still between
// two looks, so that a save in progress is not read halfway. Polled rather
// than notified: a model has a handful of files and a look every quarter
// second costs a few stat calls.
class FileWatch {
public:
    FileWatch() = default;
    // Watches `files` as they are now. One changed at or after `since`
    // (nanoseconds of the wall clock, as now() gives them: when the read of
    // them began) counts as a change: it may have been saved while it was
    // read. So does one changed up to 20 ms before: file times are taken
    // from a coarser clock.
    FileWatch(std::vector<std::string> files, std::int64_t since);

    // True, once, when the files differ from the last change reported (or
    // from the start) and are as they were at the previous look.
    bool changed();

    // The wall clock, in the files' modification times' terms.
    static std::int64_t now();

    // What a look sees of one file; size -1 and the rest zero when it
    // cannot be read.
    struct Stamp {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = -1;
        std::int64_t modified = 0;  // nanoseconds
        bool operator==(const Stamp&) const = default;
    };

private:
    std::vector<Stamp> look() const;

    std::vector<std::string> files;
    std::vector<Stamp> reported;
    std::vector<Stamp> previous;
};

}  // namespace qm
