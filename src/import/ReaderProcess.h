#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qm {

// How the model reader's process is started and held in check.
struct ReaderSettings {
    // The reader's executable (quillmoor-reader, beside the viewer's).
    std::string program;
    // Its address space, in bytes (not applied in sanitizer builds, whose
    // start-up reserves far more).
    std::uint64_t memoryLimit = 0;
    // How long the viewer waits for its answer, and its processor time.
    int timeLimit = 120;
    // glTF files too through the model reader (assimp), not the project's own.
    bool assimpOnly = false;
};

// The defaults: half the physical memory, at most `largest` bytes (16 GiB),
// and 120 s; QUILLMOOR_READER_MEMORY (MiB) and QUILLMOOR_READER_TIMEOUT
// (seconds) change them.
ReaderSettings readerSettings(std::string program, std::uint64_t largest = std::uint64_t(16) << 30);

// What the reader's process handed over: the scene data's bytes, or why
// there are none.
struct ReaderOutcome {
    std::string sceneData;
    // Empty after a read: the reader's own reason, or what happened to the
    // process in plain words ("the model reader crashed (signal 11)").
    std::string error;
    bool cancelled = false;
};

// Reads `path` in a process of its own, with the settings' limits and only
// standard input (empty), output and error open. `keepWaiting` is called
// about every 50 ms while it runs; when it returns false the process is
// ended and the outcome says cancelled.
ReaderOutcome readInReaderProcess(const std::string& path, const ReaderSettings& settings,
                                  const std::function<bool()>& keepWaiting = {});

// "12 GiB", "512 MiB": a memory limit as the messages give it.
std::string memoryText(std::uint64_t bytes);

}  // namespace qm
