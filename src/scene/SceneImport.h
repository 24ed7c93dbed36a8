#pragma once

#include <assimp/scene.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Material.h"
#include "Mesh.h"
#include "MeshData.h"
#include "Scene.h"
#include "SceneObject.h"
#include "UserModel.h"

namespace qm {

// Reads the model file and everything beside it into a ready scene: lights,
// sky, materials, meshes, objects; uploads every mesh. Prints its progress;
// returns an empty pointer (after reporting why) when the light sphere or
// the model file cannot be read. Needs the current GL context.
std::shared_ptr<Scene> loadScene(std::string path);

// A user's own model file, opened as UserModel says, with its progress and
// the time of each step on the console; the camera starts framing it.
// Empty, after one line naming the file and the reason, when it cannot be
// read. Needs the current GL context and the runtime data as working directory.
std::shared_ptr<Scene> openModel(const UserModel& model);

// openModel's part after the file has been read: the scene of a user's
// model, with its progress on the console (the programs and the table are
// loaded already).
std::shared_ptr<Scene> buildUserScene(const aiScene& modelScene, const UserModel& model);

// The import's part after the model file has been read: lights, sky box,
// objects, octree, levels of detail and uploads (the auxiliary assets and the
// table are loaded already). Needs a root node.
std::shared_ptr<Scene> buildScene(const aiScene& modelScene);

// The mesh of the node named "Sphere" in a model file; empty when there is none.
std::shared_ptr<Mesh> loadSphereMesh(const std::string& path);

// Creates the object of one model node and, recursively, of its children.
void processNode(const aiScene& modelScene, const aiNode& node, const std::shared_ptr<SceneObject>& parent);

// The Mesh of a model mesh and, for an owner, the owner's level-of-detail
// chain. Empty when the mesh has no triangles or is unusable (reported once
// per `key`, the mesh's name unless given).
std::shared_ptr<Mesh> processMesh(const aiMesh& modelMesh, const std::shared_ptr<SceneObject>& owner,
                                  std::shared_ptr<Material> material, const std::string& key = "");

std::shared_ptr<Material> createMaterial(const aiScene& modelScene, const aiMaterial& modelMaterial,
                                         std::shared_ptr<Shader> shader);

// Empties the registries the running scene no longer needs; the scene keeps its assets alive.
void clearRegistries();

// A model mesh's triangles as vertices and indices. Faces that are not
// triangles are left out and missing normals are computed from the faces.
// Nothing, with the reason, for an index outside the vertex list or a
// position that is not finite.
std::optional<MeshData> readMeshData(const aiMesh& modelMesh, std::string& problem);

}  // namespace qm
