#pragma once

#include <assimp/Importer.hpp>

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "UserModel.h"

namespace qm {

class AnimationHandler;
class Mesh;
class MeshLOD;
class PointLight;
class Scene;
struct Material;
struct Shader;

// What the scene import shares by name or index while it runs, so that every
// asset exists once however often the model file uses it. One set for the
// process; it lives until exit.
struct ImportRegistries {
    // The runtime data's programs, sphere and sky; the textures a model names
    // are relative to the model's own folder.
    std::string assetDirectory;
    std::string textureDirectory;
    // Set while a user's own model is imported; the shipped scene has none.
    std::optional<UserModel> userModel;
    // How the user model's materials got their programs and colours.
    struct MaterialCounts {
        int fromTable = 0;
        int standard = 0;
        int diffuse = 0;
        int ownColour = 0;
    } materialCounts;
    Assimp::Importer importer;
    std::shared_ptr<Mesh> lightSphereMesh;
    std::shared_ptr<Shader> billboardShader;
    std::shared_ptr<Scene> loadedScene;
    std::shared_ptr<AnimationHandler> loadedAnimationHandler;
    std::unordered_map<std::string, std::shared_ptr<MeshLOD>> meshLODs;
    std::vector<std::shared_ptr<MeshLOD>> lodList;
    std::unordered_map<unsigned, std::shared_ptr<Material>> materialsByIndex;
    std::unordered_map<std::string, std::shared_ptr<Shader>> shadersByName;
    std::unordered_map<std::string, std::string> materialShaderNames;
    std::unordered_map<std::string, std::shared_ptr<PointLight>> lightsByName;
    // Meshes already reported as unusable, so each is reported once.
    std::unordered_set<std::string> rejectedMeshes;
};

ImportRegistries& registries();

}  // namespace qm
