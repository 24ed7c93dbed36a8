// The import on any model file held in memory, in the format QM_FUZZ_FORMAT
// names or in any the model reader recognises by its content: the reader
// reads it through the same guard as the import (files nested too deep
// refused first, the reader's failed internal checks reported as reading
// errors), then the import's own code builds the scene from what it read,
// levels of detail and uploads included, under an offscreen GL context: as
// the shipped scene when no format is named, as a user's own model when one
// is. The programs, table and light sphere are the generated ones, loaded once.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <sstream>
#include <string_view>

#include "AnimationHandler.h"
#include "GLResources.h"
#include "ModelReader.h"
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
    static qm::SceneImport instance(resources);
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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string error;
    if (const aiScene* modelScene = qm::readModelFromMemory(import().context().importer, bytes, formatHint(), error)) {
        // One format named: the path a user's own file of that format takes.
        const qm::ImportedScene built = *formatHint() ? import().buildUserScene(*modelScene, qm::UserModel{})
                                                      : import().buildScene(*modelScene);
        built.scene->buildDrawLists();
    }
    discarded.str({});
    return 0;
}
