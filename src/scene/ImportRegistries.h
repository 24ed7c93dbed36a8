#pragma once

#include <assimp/Importer.hpp>

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

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
    std::string assetDirectory;
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
