#pragma once

#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ImportContext.h"
#include "SceneCache.h"
#include "SceneData.h"

namespace qm {

// A model file's scene data and where it came from: a cache entry, or the
// reader's process, with the entry that is being written for it. An
// entry's sections: the scene data, then for a scene (not the light
// sphere) its decoded pictures and its levels of detail.
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

// Reads `path` from the import's cache when an entry for it and the
// policy's build is whole and its sources unchanged, else through the
// reader's process (starting the entry's writing when there is a cache).
SceneSource readSceneSource(const ImportContext& context, const std::string& path);

// The sections of the entry being written after the scene data (none
// without an entry).
void addCacheSection(SceneSource& source, const std::string& section);

// Adds files the scene was built from besides those the reader opened (its
// pictures).
void addSourceFiles(SceneSource& source, const std::vector<std::string>& files);

// Completes the entry being written (none without an entry), with the
// source's files: a change to any of them makes the entry stale.
void commitCacheEntry(SceneSource& source);

}  // namespace qm
