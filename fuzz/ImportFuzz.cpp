// The import on any model file held in memory, in the format QM_FUZZ_FORMAT
// names or in any the model reader recognises by its content: the reader
// reads it here (in the viewer it runs in a process of its own), its scene
// goes through the scene data's byte form as it would cross to the viewer,
// then the import's own code builds the scene from it, levels of detail and
// uploads included, under an offscreen GL context: as the shipped scene when
// no format is named, as a user's own model when one is. The programs, table
// and light sphere are the generated ones, loaded once.
// Built with QM_FUZZ_SCENE_DATA (qm_fuzz_scenedata), the input is scene data
// as a damaged cache entry or a dying reader process could hand it over:
// its header's size and checksum are set to match the bytes, so that the
// mutations reach the decoder's checks, and a scene that passes them is
// built as a user's file and as the shipped scene.
#include <cstdint>
#include <cstring>
#include <vector>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string_view>

#include "AnimationHandler.h"
#include "ContentHash.h"
#include "GLResources.h"
#include "ModelReader.h"
#include "SceneConversion.h"
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

// QM_FUZZ_FORMAT names one format's extension ("obj", "glb") for the formats
// the reader cannot tell by their content alone; unset, it tells by content.
const char* formatHint()
{
    const char* hint = std::getenv("QM_FUZZ_FORMAT");
    return hint ? hint : "";
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
    r.assetDirectory = QM_ASSET_DIRECTORY;
    r.textureDirectory = r.assetDirectory;
    r.lightSphereMesh = qm::loadSphereMesh(r, r.assetDirectory + "/sphere.fbx");
    if (!r.lightSphereMesh)
        std::abort();
    r.billboardShader = r.resources->program(r.assetDirectory + "/billboard", true);
    qm::loadShaderSources(r);
    // Every input prints the import's progress and its complaints: not wanted a million times over.
    std::cout.rdbuf(discarded.rdbuf());
    std::cerr.rdbuf(discarded.rdbuf());
    return 0;
}

#ifdef QM_FUZZ_SCENE_DATA

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
        const qm::ImportedScene built = userFile ? import().buildUserScene(source, qm::UserModel{})
                                                 : import().buildScene(source);
        built.scene->buildDrawLists();
    }
    discarded.str({});
    return 0;
}

#else

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    Assimp::Importer reader;
    if (const aiScene* modelScene = qm::readModelFromMemory(reader, bytes, formatHint(), error)) {
        const std::string encoded = qm::encodeSceneData(qm::toSceneData(*modelScene));
        qm::SceneSource source;
        source.scene = qm::decodeSceneData(
            {reinterpret_cast<const std::uint8_t*>(encoded.data()), encoded.size()}, error);
        if (!source.scene)
            std::abort();  // the conversion broke the scene data's rules
        // One format named: the path a user's own file of that format takes.
        const qm::ImportedScene built = *formatHint() ? import().buildUserScene(source, qm::UserModel{})
                                                      : import().buildScene(source);
        built.scene->buildDrawLists();
    }
    discarded.str({});
    return 0;
}

#endif
