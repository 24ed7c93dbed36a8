#include "SceneImport.h"

#include <cmath>
#include <iostream>

#include "AnimationHandler.h"
#include "ImportRegistries.h"
#include "LevelOfDetailBuild.h"
#include "MeshLOD.h"
#include "ModelReader.h"
#include "PointLight.h"
#include "ShaderTable.h"
#include "TextureLoading.h"

namespace qm {

namespace {

// Why the last model file read failed: the reader's error, or the import's
// own reason for not handing the file to the reader.
std::string readError;

const aiScene* readModel(const std::string& path)
{
    const aiScene* modelScene = readModelFile(registries().importer, path, readError);
    if (!modelScene)
        std::cerr << "Assimp file reading error: " << readError << std::endl;
    return modelScene;
}

glm::mat4 toColumnMajor(const aiMatrix4x4& m)
{
    glm::mat4 out;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            out[column][row] = m[row][column];
    return out;
}

// Depth-first search for the node named "Sphere"; that node is not searched further.
std::shared_ptr<Mesh> findSphere(const aiScene& modelScene, const aiNode& node)
{
    if (std::string(node.mName.C_Str()) == "Sphere") {
        if (node.mNumMeshes == 0 || node.mMeshes[0] >= modelScene.mNumMeshes)
            return nullptr;
        auto material = std::make_shared<Material>();
        material->shader = loadShader("QM/lightSphere", 1);
        return processMesh(*modelScene.mMeshes[node.mMeshes[0]], nullptr, material);
    }
    for (unsigned i = 0; i < node.mNumChildren; ++i) {
        if (auto mesh = findSphere(modelScene, *node.mChildren[i]))
            return mesh;
    }
    return nullptr;
}

void computeFaceNormals(MeshData& data)
{
    std::vector<glm::vec3> sums(data.vertices.size(), glm::vec3(0.0f));
    for (std::size_t i = 0; i < data.indices.size(); i += 3) {
        const glm::vec3& a = data.vertices[data.indices[i]].position;
        const glm::vec3& b = data.vertices[data.indices[i + 1]].position;
        const glm::vec3& c = data.vertices[data.indices[i + 2]].position;
        const glm::vec3 faceNormal = glm::cross(b - a, c - a);  // weighted by area
        for (int k = 0; k < 3; ++k)
            sums[data.indices[i + k]] += faceNormal;
    }
    for (std::size_t v = 0; v < sums.size(); ++v) {
        const float length = glm::length(sums[v]);
        data.vertices[v].normal = length > 0.0f ? sums[v] / length : glm::vec3(0.0f, 1.0f, 0.0f);
    }
}

// The material of a mesh, created on its first use; empty (reported) when
// the table assigns it no loaded program.
std::shared_ptr<Material> materialFor(const aiScene& modelScene, unsigned index)
{
    ImportRegistries& r = registries();
    if (const auto it = r.materialsByIndex.find(index); it != r.materialsByIndex.end())
        return it->second;
    const aiMaterial& modelMaterial = *modelScene.mMaterials[index];
    aiString name;
    aiGetMaterialString(&modelMaterial, "?mat.name", 0, 0, &name);
    const auto program = r.materialShaderNames.find(name.C_Str());
    const auto shader = program == r.materialShaderNames.end() ? r.shadersByName.end()
                                                               : r.shadersByName.find(program->second);
    if (shader == r.shadersByName.end()) {
        std::cerr << "Could not find shader for the material \"" << name.C_Str() << "\"." << std::endl;
        return nullptr;
    }
    return r.materialsByIndex[index] = createMaterial(modelScene, modelMaterial, shader->second);
}

}  // namespace

ImportRegistries& registries()
{
    static ImportRegistries instance;
    return instance;
}

std::optional<MeshData> readMeshData(const aiMesh& modelMesh, std::string& problem)
{
    MeshData data;
    data.vertices.resize(modelMesh.mNumVertices);
    const bool hasTexCoords = modelMesh.HasTextureCoords(0) && modelMesh.mNumVertices > 0;
    for (unsigned v = 0; v < modelMesh.mNumVertices; ++v) {
        const aiVector3D& p = modelMesh.mVertices[v];
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            problem = "vertex " + std::to_string(v) + " has a position that is not a finite number";
            return std::nullopt;
        }
        Vertex& vertex = data.vertices[v];
        vertex.position = {p.x, p.y, p.z};
        if (modelMesh.mNormals)
            vertex.normal = {modelMesh.mNormals[v].x, modelMesh.mNormals[v].y, modelMesh.mNormals[v].z};
        if (hasTexCoords)
            vertex.texCoords = {modelMesh.mTextureCoords[0][v].x, modelMesh.mTextureCoords[0][v].y};
    }
    for (unsigned f = 0; f < modelMesh.mNumFaces; ++f) {
        const aiFace& face = modelMesh.mFaces[f];
        if (face.mNumIndices != 3)
            continue;  // points and lines are not drawn
        for (unsigned k = 0; k < 3; ++k) {
            if (face.mIndices[k] >= modelMesh.mNumVertices) {
                problem = "face " + std::to_string(f) + " uses vertex " + std::to_string(face.mIndices[k]) +
                          " of " + std::to_string(modelMesh.mNumVertices);
                return std::nullopt;
            }
            data.indices.push_back(face.mIndices[k]);
        }
    }
    if (!modelMesh.mNormals)
        computeFaceNormals(data);
    return data;
}

std::shared_ptr<Mesh> processMesh(const aiMesh& modelMesh, const std::shared_ptr<SceneObject>& owner,
                                  std::shared_ptr<Material> material)
{
    ImportRegistries& r = registries();
    const std::string name = modelMesh.mName.C_Str();
    if (r.rejectedMeshes.count(name))
        return nullptr;
    std::string problem;
    std::optional<MeshData> data = readMeshData(modelMesh, problem);
    if (!data || data->indices.empty()) {
        if (!data)
            std::cerr << "Leaving out the mesh \"" << name << "\": " << problem << "." << std::endl;
        r.rejectedMeshes.insert(name);
        return nullptr;
    }
    auto mesh = std::make_shared<Mesh>(std::move(data->vertices), std::move(data->indices), std::move(material));
    if (owner) {
        auto lod = std::make_shared<MeshLOD>(mesh, mesh, mesh);
        lod->computeBoundingBox();
        owner->setMeshLOD(lod);
    }
    return mesh;
}

std::shared_ptr<Material> createMaterial(const aiScene& modelScene, const aiMaterial& modelMaterial,
                                         std::shared_ptr<Shader> shader)
{
    auto material = std::make_shared<Material>();
    material->ambient = glm::vec3(0.2f);
    for (const auto& [modelType, type] : {std::pair{aiTextureType_DIFFUSE, Texture::Diffuse},
                                          std::pair{aiTextureType_SPECULAR, Texture::Specular},
                                          std::pair{aiTextureType_NORMALS, Texture::Normal}}) {
        auto textures = loadMaterialTextures(modelScene, &modelMaterial, modelType, type);
        material->textures.insert(material->textures.end(), textures.begin(), textures.end());
    }
    material->shininess = 32.0f;
    material->shader = std::move(shader);
    return material;
}

void processNode(const aiScene& modelScene, const aiNode& node, const std::shared_ptr<SceneObject>& parent)
{
    ImportRegistries& r = registries();
    auto object = std::make_shared<SceneObject>();
    object->parent = parent;
    object->localTransform = toColumnMajor(node.mTransformation);
    // Column vectors: the parent's world matrix applies after the child's own.
    object->model = parent ? parent->model * object->localTransform : object->localTransform;
    if (parent)
        parent->children.push_back(object);
    object->position = glm::vec3(object->model[3]);

    bool placed = false;
    if (node.mNumMeshes > 0 && node.mMeshes[0] < modelScene.mNumMeshes) {
        const aiMesh& modelMesh = *modelScene.mMeshes[node.mMeshes[0]];
        const std::string meshName = modelMesh.mName.C_Str();
        if (const auto shared = r.meshLODs.find(meshName); shared != r.meshLODs.end()) {
            object->setMeshLOD(shared->second);
        } else if (modelMesh.mMaterialIndex < modelScene.mNumMaterials) {
            const std::shared_ptr<Material> material = materialFor(modelScene, modelMesh.mMaterialIndex);
            if (!material)
                return;  // the node and its subtree are left out
            if (processMesh(modelMesh, object, material))
                r.meshLODs.emplace(meshName, object->getMeshLOD());
        }
        if (object->getMeshLOD()) {
            object->computeBounds();
            if (meshName == "glimmet_mesh")
                r.loadedAnimationHandler->objects.push_back(object);
            r.loadedScene->addObject(object);
            placed = true;
        }
    }
    if (!placed) {
        if (const auto light = r.lightsByName.find(node.mName.C_Str()); light != r.lightsByName.end()) {
            object->light = light->second;
            object->computeBounds();
            r.loadedAnimationHandler->objects.push_back(object);
            r.loadedScene->addObject(object);
        }
    }

    for (unsigned i = 0; i < node.mNumChildren; ++i)
        processNode(modelScene, *node.mChildren[i], object);
    if (parent)
        parent->mergeBounds(*object);
}

std::shared_ptr<Mesh> loadSphereMesh(const std::string& path)
{
    const aiScene* modelScene = readModel(path);
    return modelScene ? findSphere(*modelScene, *modelScene->mRootNode) : nullptr;
}

std::shared_ptr<Scene> loadScene(std::string path)
{
    ImportRegistries& r = registries();
    const std::size_t slash = path.find_last_of('/');
    r.assetDirectory = slash == std::string::npos ? path : path.substr(0, slash);

    std::cout << "Hi! Welcome to Quillmoor!" << std::endl;
    std::cout << "Controls: \nWASD - movement\nMouse - pan\n1 - decrease camera exposure\n2 - increase camera "
                 "exposure\n3 - decrease camera focus distance\n4 - increase camera focus distance\n"
              << std::endl;
    std::cout << "Please wait on assimp to load the needed files." << std::endl;
    std::cout << "Any complaints for the wait time can be directed to:" << std::endl;
    std::cout << "https://github.com/assimp/assimp. " << std::endl;
    std::cout << "Thank you for understanding." << std::endl;

    r.lightSphereMesh = loadSphereMesh(r.assetDirectory + "/sphere.fbx");
    if (!r.lightSphereMesh) {
        std::cerr << "Error reading sphere mesh: " << readError << std::endl;
        return nullptr;
    }
    r.billboardShader = loadGeometryShader(r.assetDirectory + "/billboard", 0);
    loadShaderSources();

    const aiScene* modelScene = readModel(path);
    if (!modelScene)
        return nullptr;
    return buildScene(*modelScene);
}

std::shared_ptr<Scene> buildScene(const aiScene& modelScene)
{
    ImportRegistries& r = registries();
    r.loadedScene = std::make_shared<Scene>();
    r.loadedScene->setSkybox(createSkybox());
    r.lightsByName.clear();
    createLights(modelScene);
    r.meshLODs.clear();
    r.rejectedMeshes.clear();
    r.loadedAnimationHandler = std::make_shared<AnimationHandler>();
    processNode(modelScene, *modelScene.mRootNode, nullptr);
    r.loadedScene->buildOctree();

    std::cout << "\nIn order to improve the performance, this application uses several level of detail techniques. "
                 "Please wait while other levels of detail for the scene are being generated.\nThis might take a "
                 "few minutes.\n"
              << std::endl;
    generateLODs();
    std::cout << "LOD models built! Cleaning up, hold tight..." << std::endl;
    for (const auto& lod : r.lodList) {
        for (int level = 0; level < 4; ++level) {
            const std::shared_ptr<Mesh> mesh = lod->getLevel(level);
            // A mesh shared by several levels is uploaded once.
            if (mesh && mesh->vertexArray == 0) {
                mesh->setup();
                mesh->releaseCpuData();
            }
        }
    }
    std::cout << "\nWelcome!" << std::endl;
    return r.loadedScene;
}

void clearRegistries()
{
    ImportRegistries& r = registries();
    r.meshLODs.clear();
    r.materialsByIndex.clear();
    r.materialShaderNames.clear();
    r.lightsByName.clear();
    r.lodList.clear();
}

}  // namespace qm
