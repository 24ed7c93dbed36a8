#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ImportPolicy.h"
#include "Log.h"
#include "ModelMotion.h"
#include "ModelSummary.h"
#include "PictureStore.h"
#include "ReaderProcess.h"
#include "SceneCache.h"
#include "SceneData.h"

namespace qm {

class AnimationHandler;
class GraphicsResources;
class Mesh;
class MeshLOD;
class PointLight;
class Scene;
struct Material;
struct Shader;

// What an import keeps for every scene it builds: where it makes and reads
// things, and the runtime data's programs and light sphere, each loaded once.
struct ImportSession {
    // Makes the programs, textures, sky and GPU copies; not owned.
    GraphicsResources* resources = nullptr;
    // The folder the runtime data's names ("QM/...") are relative to; the
    // working directory when empty. The user's own files are named in full.
    // Messages name files as the scene does, not as they lie on disk.
    std::filesystem::path dataRoot;
    // The runtime data's programs, sphere, sky and table, as named below dataRoot.
    std::string assetDirectory;
    // How model files are read, and where read scenes are kept; no cache
    // when empty.
    ReaderSettings reader;
    std::optional<CacheSettings> cache;
    std::shared_ptr<Mesh> lightSphereMesh;
    std::shared_ptr<Shader> billboardShader;
    std::unordered_map<std::string, std::shared_ptr<Shader>> shadersByName;
    // The deforming forms of those programs, by the same names.
    std::unordered_map<std::string, std::shared_ptr<Shader>> deformingShaders;
};

// One build of a scene: its rules, what it shares by name or index so that
// every asset exists once however often the model file uses it, and what
// it makes. A new one for every build; the scene and its animation are
// handed over when the build ends, and the rest goes with it.
struct SceneBuild {
    // Where the build's progress and problems go.
    Log log;
    // The rules of the scene being built.
    ImportPolicy policy;
    // The textures a model names are relative to the model's own folder.
    std::string textureDirectory;
    // Called while the reader's process runs; false cancels the read.
    std::function<bool()> keepWaiting;
    // The table's programs for the materials it names.
    std::unordered_map<std::string, std::string> materialShaderNames;
    // How the user model's materials got their programs and colours.
    struct MaterialCounts {
        int fromTable = 0;
        int standard = 0;
        int diffuse = 0;
        int physicallyBased = 0;
        int ownColour = 0;
    } materialCounts;
    // Why the last model file read failed: the reader's error, or the
    // import's own reason for not handing the file to the reader.
    std::string readError;
    std::shared_ptr<Scene> scene;
    std::shared_ptr<AnimationHandler> animation;
    std::unordered_map<std::string, std::shared_ptr<MeshLOD>> meshLODs;
    std::vector<std::shared_ptr<MeshLOD>> lodList;
    std::unordered_map<unsigned, std::shared_ptr<Material>> materialsByIndex;
    // The same materials for points and lines, which are drawn unlit.
    std::unordered_map<unsigned, std::shared_ptr<Material>> unlitMaterials;
    std::unordered_map<std::string, std::shared_ptr<PointLight>> lightsByName;
    std::unordered_map<std::string, SceneLight> sunsByName;
    // With the file's motion: its meshes keep what deforms them, and its
    // placed objects are noted for the motion to move.
    bool deformMeshes = false;
    std::vector<NodePlacement> placements;
    std::shared_ptr<ModelMotion> motion;
    // The pictures the scene's materials and billboards use.
    PictureStore pictures;
    // A user's file's numbers, gathered as it is read and built.
    ModelSummary summary;
    // Meshes already reported as unusable, so each is reported once.
    std::unordered_set<std::string> rejectedMeshes;
};

// What the import's steps work with: the session's, and the build in hand.
// Owned by the import that uses it (see SceneImport).
struct ImportContext {
    ImportSession session;
    SceneBuild build;

    // Where the file a scene names lies: below the data root, or in full.
    std::string file(const std::string& name) const { return (session.dataRoot / name).string(); }
};

}  // namespace qm
