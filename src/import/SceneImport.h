#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ImportContext.h"
#include "MeshData.h"
#include "Scene.h"
#include "SceneSource.h"
#include "UserModel.h"

namespace qm {

// What an import built: the scene, and the animation of its moving objects.
struct ImportedScene {
    std::shared_ptr<Scene> scene;
    std::shared_ptr<AnimationHandler> animation;
    explicit operator bool() const { return scene != nullptr; }
};

// Reads model files into ready scenes: lights, sky, materials, meshes,
// objects, levels of detail and uploads. Files are read by the model
// reader's process (or taken from the scene cache), never in this one. The
// programs and the light sphere are shared by the scenes it builds; what it
// keeps goes with it. Reports to the log it is given. Needs the current GL
// context for its whole life.
class SceneImport {
public:
    // Makes its programs, textures and GPU copies with `resources`, which
    // must outlive it; reads with `reader`, and keeps what it read and built
    // in `cache` when there is one. The runtime data ("QM/...") lies in
    // `dataRoot` (the working directory when empty).
    SceneImport(GraphicsResources& resources, ReaderSettings reader,
                std::optional<CacheSettings> cache = std::nullopt, std::filesystem::path dataRoot = {});

    // The shipped scene, after the welcome text; empty (after reporting why)
    // when the light sphere or the model file cannot be read. Reports to `log`.
    ImportedScene loadScene(const std::string& path, const Log& log = {});

    // A user's own model file, opened as UserModel says, with its progress
    // and the time of each step in `log`; the camera starts framing it.
    // Empty, after one line naming the file and the reason, when it cannot
    // be read. `keepWaiting` is asked while the reader runs; false cancels
    // the read (reported like a failure).
    ImportedScene openModel(const UserModel& model, const Log& log = {}, std::function<bool()> keepWaiting = {});

    // loadScene's part after the model file has been read (the auxiliary
    // assets and the table are loaded already, and the build's policy set).
    // Both builds free the source's scene data once copied, and complete its
    // cache entry.
    ImportedScene buildScene(SceneSource& source);

    // openModel's part after the file has been read (the programs and the
    // table are loaded already, and the build's policy set).
    ImportedScene buildUserScene(SceneSource& source, const UserModel& model);

    // The session and the build in hand, for the steps a caller runs itself.
    ImportContext& context() { return state; }

private:
    // Hands over the scene built; the rest of the build goes with it.
    ImportedScene finish();

    ImportContext state;
};

// The first mesh of the first node named "Sphere" in a model file; empty
// when there is none or the file cannot be read (the context's readError
// says why).
std::shared_ptr<Mesh> loadSphereMesh(ImportContext& context, const std::string& path);

// A model mesh's triangles as vertices and indices. Lines and points are
// left out, identical vertices joined and unused ones dropped
// (joinIdenticalVertices) unless `keepVertices` asks for the file's vertices
// in the file's order (a deforming mesh's, which the reader has joined with
// their bones and targets), and missing normals are computed from the faces.
// Nothing, with the reason, for a mesh the reader could not take or a
// position that is not finite.
std::optional<MeshData> readMeshData(const SceneMesh& modelMesh, std::string& problem, bool keepVertices = false);

}  // namespace qm
