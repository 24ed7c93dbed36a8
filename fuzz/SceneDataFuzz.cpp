// The import on scene data as a damaged cache entry or a dying reader
// process could hand it over: the header's size and checksum are set to
// match the bytes, so that the mutations reach the decoder's checks, and a
// scene that passes them is built, levels of detail and uploads included,
// under an offscreen GL context, as a user's file and as the shipped scene.
// The programs, table and light sphere are the generated ones, loaded once.
// Seeded with what the reader's process makes of the test data's files; the
// model reader itself is not fuzzed here: whatever a file does to it ends in
// its own process.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "AnimationHandler.h"
#include "ContentHash.h"
#include "GLResources.h"
#include "SceneDataFile.h"
#include "SDLGLApplication.h"
#include "Scene.h"
#include "SceneImport.h"
#include "ShaderTable.h"

namespace {

std::ostringstream discarded;

// One import for the whole run, as the viewer keeps one for dropped files.
qm::SceneImport& import()
{
    static qm::GLResources resources;
    static qm::SceneImport instance(resources, qm::readerSettings(QM_READER_PROGRAM));
    return instance;
}

// The shipped table's assignments, read once.
std::unordered_map<std::string, std::string>& shippedTable()
{
    static std::unordered_map<std::string, std::string> table;
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The programs' fixed names are relative to the runtime data's folder, as for the viewer.
    std::filesystem::current_path(QM_BUILD_DIRECTORY);
    static qm::SDLGLApplication application;
    if (!application.initialised())
        std::abort();
    qm::ImportContext& r = import().context();
    r.session.assetDirectory = QM_ASSET_DIRECTORY;
    r.session.lightSphereMesh = qm::loadSphereMesh(r, r.session.assetDirectory + "/sphere.fbx");
    if (!r.session.lightSphereMesh)
        std::abort();
    r.session.billboardShader = r.session.resources->program(r.session.assetDirectory + "/billboard", true);
    qm::loadShaderSources(r);
    shippedTable() = r.build.materialShaderNames;
    // Every input prints the import's progress and its complaints: not wanted a million times over.
    std::cout.rdbuf(discarded.rdbuf());
    std::cerr.rdbuf(discarded.rdbuf());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> bytes(data, data + size);
    if (bytes.size() >= qm::sceneDataHeaderSize) {
        const std::uint64_t payload = bytes.size() - qm::sceneDataHeaderSize;
        const std::uint64_t sum = qm::checksum(std::span(bytes).subspan(qm::sceneDataHeaderSize));
        std::memcpy(bytes.data() + 16, &payload, 8);
        std::memcpy(bytes.data() + 24, &sum, 8);
    }
    std::string error;
    for (const bool userFile : {true, false}) {
        qm::SceneSource source;
        source.scene = qm::decodeSceneData(bytes, error);
        if (!source.scene)
            break;
        // Each build starts anew: its rules, the shipped table, the runtime data's pictures.
        qm::SceneBuild& build = import().context().build;
        build.policy = userFile ? qm::ImportPolicy::userFile(qm::UserModel{}) : qm::ImportPolicy::shippedScene();
        build.materialShaderNames = shippedTable();
        build.textureDirectory = QM_ASSET_DIRECTORY;
        const qm::ImportedScene built = userFile ? import().buildUserScene(source, qm::UserModel{})
                                                 : import().buildScene(source);
        built.scene->buildDrawList();
    }
    discarded.str({});
    return 0;
}
