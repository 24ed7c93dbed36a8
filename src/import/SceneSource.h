#pragma once

#include <future>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ImportContext.h"
#include "SceneCache.h"
#include "SceneData.h"

namespace qm {

// The sections of a cache entry, in the order they are written: the scene
// data (all the light sphere's entry holds), then for a scene its decoded
// pictures and its levels of detail.
enum class CacheSection : std::size_t { SceneData, Pictures, Levels };

// A model file's scene data and where it came from: a cache entry, or the
// reader's process, with the entry that is being written for it.
struct SceneSource {
    std::optional<SceneData> scene;
    std::unique_ptr<CacheEntry> cached;
    std::unique_ptr<CacheWriter> writer;
    std::future<void> writing;
    // The files the scene is built from besides the model file, as
    // recordedPath gives them: those the reader opened or tried to (material
    // files, buffers), then the pictures it loads.
    std::vector<std::string> files;
    // Why there is no scene: the reader's reason or what became of its process.
    std::string error;
};

// Reads the file `name` (see ImportContext::file) from the import's cache when an entry for it and the
// policy's build is whole and its sources unchanged, else through the
// reader's process (starting the entry's writing when there is a cache).
SceneSource readSceneSource(const ImportContext& context, const std::string& name);

// A section of the entry the source was read from; none when it was not
// read from the cache or its entry lacks the section.
std::optional<std::span<const std::uint8_t>> cachedSection(const SceneSource& source, CacheSection section);

// The sections of the entry being written after the scene data, in their
// order (none without an entry).
void addCacheSection(SceneSource& source, const std::string& section);

// Adds files the scene was built from besides those the reader opened (its
// pictures).
void addSourceFiles(SceneSource& source, const std::vector<std::string>& files);

// Completes the entry being written (none without an entry), with the
// source's files: a change to any of them makes the entry stale.
void commitCacheEntry(SceneSource& source);

}  // namespace qm
