#include "SceneSource.h"

#include "ByteCodec.h"
#include "LevelOfDetailBuild.h"
#include "SceneDataFile.h"

namespace qm {

namespace {

std::string cacheBuild(const ImportContext& r)
{
    return std::string("quillmoor ") + QM_VERSION + "\nscene data " + std::to_string(sceneDataVersion) +
           "\nlevels " + std::to_string(levelsFormat) + "\n" + r.build.policy.build +
           (r.session.reader.assimpOnly ? "\nreader assimp" : "");
}

}  // namespace

SceneSource readSceneSource(const ImportContext& r, const std::string& name)
{
    const std::string path = r.file(name);
    SceneSource source;
    std::optional<std::string> key;
    if (r.session.cache)
        key = cacheKey(path, cacheBuild(r));
    if (key) {
        if (auto entry = CacheEntry::open(*r.session.cache, *key); entry && entry->sectionCount() > 0) {
            std::string problem;
            source.scene = decodeSceneData(entry->section(std::size_t(CacheSection::SceneData)), problem);
            if (source.scene) {
                source.files = source.scene->sourceFiles;
                source.cached = std::move(entry);
                return source;
            }
            entry->discard();  // written by another version, or damaged in a way the checksum missed
        }
    }
    ReaderOutcome read = readInReaderProcess(path, r.session.reader, r.build.keepWaiting);
    if (!read.error.empty()) {
        source.error = std::move(read.error);
        return source;
    }
    const std::span<const std::uint8_t> bytes = asBytes(read.sceneData);
    std::string problem;
    source.scene = decodeSceneData(bytes, problem);
    if (!source.scene) {
        source.error = "the model reader's answer is damaged (" + problem + ")";
        return source;
    }
    source.files = source.scene->sourceFiles;
    if (key && r.build.policy.addsToCache) {
        // Written while the scene is built; the bytes go with the writing.
        source.writer = std::make_unique<CacheWriter>(*r.session.cache, *key);
        source.writing = std::async(std::launch::async, [writer = source.writer.get(), bytes = std::move(read.sceneData)] {
            writer->add(bytes);
        });
    }
    return source;
}

std::optional<std::span<const std::uint8_t>> cachedSection(const SceneSource& source, CacheSection section)
{
    const auto index = std::size_t(section);
    if (!source.cached || index >= source.cached->sectionCount())
        return std::nullopt;
    return source.cached->section(index);
}

void addCacheSection(SceneSource& source, const std::string& section)
{
    if (!source.writer)
        return;
    if (source.writing.valid())
        source.writing.get();
    source.writer->add(section);
}

void addSourceFiles(SceneSource& source, const std::vector<std::string>& files)
{
    for (const std::string& file : files)
        source.files.push_back(recordedPath(file));
}

void commitCacheEntry(SceneSource& source)
{
    if (!source.writer)
        return;
    if (source.writing.valid())
        source.writing.get();
    source.writer->commit(hashSourceFiles(source.files));
    source.writer.reset();
}

}  // namespace qm
