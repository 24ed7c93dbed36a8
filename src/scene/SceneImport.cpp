#include "SceneImport.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "AnimationHandler.h"
#include "GraphicsResources.h"
#include "LevelOfDetailBuild.h"
#include "MeshLOD.h"
#include "ModelFraming.h"
#include "ModelOrientation.h"
#include "ModelReader.h"
#include "PointLight.h"
#include "ShaderTable.h"
#include "TextureLoading.h"
#include "VertexJoin.h"

namespace qm {

namespace {

std::shared_ptr<Mesh> processMesh(ImportContext& r, const aiMesh& modelMesh, const std::shared_ptr<SceneObject>& owner,
                                  std::shared_ptr<Material> material, const std::string& key = "");
std::shared_ptr<Material> createMaterial(ImportContext& r, const aiScene& modelScene, const aiMaterial& modelMaterial,
                                         std::shared_ptr<Shader> shader);

constexpr const char* controls = "Controls: \nWASD - movement\nMouse - pan\n1 - decrease camera exposure\n2 - "
                                 "increase camera exposure\n3 - decrease camera focus distance\n4 - increase camera "
                                 "focus distance\n";

const aiScene* readModel(ImportContext& r, const std::string& path)
{
    const aiScene* modelScene = readModelFile(r.importer, path, r.readError);
    if (!modelScene)
        std::cerr << "Assimp file reading error: " << r.readError << std::endl;
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
std::shared_ptr<Mesh> findSphere(ImportContext& r, const aiScene& modelScene, const aiNode& node)
{
    if (std::string(node.mName.C_Str()) == "Sphere") {
        if (node.mNumMeshes == 0 || node.mMeshes[0] >= modelScene.mNumMeshes)
            return nullptr;
        auto material = std::make_shared<Material>();
        material->shader = r.resources->program("QM/lightSphere");
        return processMesh(r, *modelScene.mMeshes[node.mMeshes[0]], nullptr, material);
    }
    for (unsigned i = 0; i < node.mNumChildren; ++i) {
        if (auto mesh = findSphere(r, modelScene, *node.mChildren[i]))
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

// A program for a user model's material that the table does not name: the
// standard one when the material has every map it reads, the diffuse one otherwise.
std::shared_ptr<Shader> defaultProgram(ImportContext& r, const aiMaterial& material)
{
    const bool allMaps = aiGetMaterialTextureCount(&material, aiTextureType_DIFFUSE) > 0 &&
                         aiGetMaterialTextureCount(&material, aiTextureType_SPECULAR) > 0 &&
                         aiGetMaterialTextureCount(&material, aiTextureType_NORMALS) > 0;
    ++(allMaps ? r.materialCounts.standard : r.materialCounts.diffuse);
    const std::string name = allMaps ? "material_standard" : "material_diffuse";
    std::shared_ptr<Shader>& shader = r.shadersByName[name];
    if (!shader)
        shader = r.resources->program(r.assetDirectory + "/" + name);
    return shader;
}

// The material of a mesh, created on its first use; empty (reported) when
// the table assigns it no loaded program and the model is the shipped one.
std::shared_ptr<Material> materialFor(ImportContext& r, const aiScene& modelScene, unsigned index)
{
    if (const auto it = r.materialsByIndex.find(index); it != r.materialsByIndex.end())
        return it->second;
    const aiMaterial& modelMaterial = *modelScene.mMaterials[index];
    aiString name;
    aiGetMaterialString(&modelMaterial, "?mat.name", 0, 0, &name);
    const auto program = r.materialShaderNames.find(name.C_Str());
    const auto shader = program == r.materialShaderNames.end() ? r.shadersByName.end()
                                                               : r.shadersByName.find(program->second);
    if (shader != r.shadersByName.end()) {
        if (r.userModel)
            ++r.materialCounts.fromTable;
        return r.materialsByIndex[index] = createMaterial(r, modelScene, modelMaterial, shader->second);
    }
    if (!r.userModel) {
        std::cerr << "Could not find shader for the material \"" << name.C_Str() << "\"." << std::endl;
        return nullptr;
    }
    return r.materialsByIndex[index] = createMaterial(r, modelScene, modelMaterial, defaultProgram(r, modelMaterial));
}

// A user model's node with all its meshes: the first on the node's own
// object, each further one on a child object in the same place. Meshes are
// shared by index, since such files often leave names empty or repeat them.
// True when the node's own object got a mesh.
bool placeEveryMesh(ImportContext& r, const aiScene& modelScene, const aiNode& node,
                    const std::shared_ptr<SceneObject>& object)
{
    bool placedOwn = false;
    for (unsigned k = 0; k < node.mNumMeshes; ++k) {
        const unsigned index = node.mMeshes[k];
        if (index >= modelScene.mNumMeshes || modelScene.mMeshes[index]->mMaterialIndex >= modelScene.mNumMaterials)
            continue;
        std::shared_ptr<SceneObject> target = object;
        if (placedOwn) {
            target = std::make_shared<SceneObject>();
            target->parent = object;
            target->model = object->model;
            target->position = object->position;
        }
        const aiMesh& modelMesh = *modelScene.mMeshes[index];
        std::string key = std::to_string(index);
        key.insert(0, 1, '#').append(1, ' ').append(modelMesh.mName.C_Str());
        if (const auto shared = r.meshLODs.find(key); shared != r.meshLODs.end())
            target->setMeshLOD(shared->second);
        else if (processMesh(r, modelMesh, target, materialFor(r, modelScene, modelMesh.mMaterialIndex), key))
            r.meshLODs.emplace(key, target->getMeshLOD());
        if (!target->getMeshLOD())
            continue;
        target->computeBounds();
        r.scene->addObject(target);
        if (target != object) {
            object->children.push_back(target);
            object->mergeBounds(*target);
        }
        placedOwn = true;
    }
    return placedOwn;
}

// The Mesh of a model mesh and, for an owner, the owner's level-of-detail
// chain. Empty when the mesh has no triangles or is unusable (reported once
// per `key`, the mesh's name unless given).
std::shared_ptr<Mesh> processMesh(ImportContext& r, const aiMesh& modelMesh, const std::shared_ptr<SceneObject>& owner,
                                  std::shared_ptr<Material> material, const std::string& key)
{
    const std::string name = key.empty() ? std::string(modelMesh.mName.C_Str()) : key;
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

std::shared_ptr<Material> createMaterial(ImportContext& r, const aiScene& modelScene, const aiMaterial& modelMaterial,
                                         std::shared_ptr<Shader> shader)
{
    auto material = std::make_shared<Material>();
    material->ambient = glm::vec3(0.2f);
    for (const auto& [modelType, kind] : {std::pair{aiTextureType_DIFFUSE, TextureKind::Diffuse},
                                          std::pair{aiTextureType_SPECULAR, TextureKind::Specular},
                                          std::pair{aiTextureType_NORMALS, TextureKind::Normal}}) {
        auto textures =
            loadMaterialTextures(modelScene, &modelMaterial, modelType, kind, r.textureDirectory, *r.resources);
        material->textures.insert(material->textures.end(), textures.begin(), textures.end());
    }
    const bool hasDiffuse = aiGetMaterialTextureCount(&modelMaterial, aiTextureType_DIFFUSE) > 0;
    if (r.userModel && !hasDiffuse) {
        aiColor4D colour(0.8f, 0.8f, 0.8f, 1.0f);
        aiGetMaterialColor(&modelMaterial, AI_MATKEY_COLOR_DIFFUSE, &colour);
        material->textures.push_back(colourTexture(*r.resources, {colour.r, colour.g, colour.b}));
        ++r.materialCounts.ownColour;
    }
    material->shininess = 32.0f;
    material->shader = std::move(shader);
    return material;
}

// Creates the object of one model node and, recursively, of its children.
void processNode(ImportContext& r, const aiScene& modelScene, const aiNode& node,
                 const std::shared_ptr<SceneObject>& parent)
{
    auto object = std::make_shared<SceneObject>();
    object->parent = parent;
    object->localTransform = toColumnMajor(node.mTransformation);
    // Column vectors: the parent's world matrix applies after the child's own.
    object->model = parent ? parent->model * object->localTransform : object->localTransform;
    if (parent)
        parent->children.push_back(object);
    object->position = glm::vec3(object->model[3]);

    bool placed = false;
    if (r.userModel) {
        placed = placeEveryMesh(r, modelScene, node, object);
    } else if (node.mNumMeshes > 0 && node.mMeshes[0] < modelScene.mNumMeshes) {
        const aiMesh& modelMesh = *modelScene.mMeshes[node.mMeshes[0]];
        const std::string meshName = modelMesh.mName.C_Str();
        if (const auto shared = r.meshLODs.find(meshName); shared != r.meshLODs.end()) {
            object->setMeshLOD(shared->second);
        } else if (modelMesh.mMaterialIndex < modelScene.mNumMaterials) {
            const std::shared_ptr<Material> material = materialFor(r, modelScene, modelMesh.mMaterialIndex);
            if (!material)
                return;  // the node and its subtree are left out
            if (processMesh(r, modelMesh, object, material))
                r.meshLODs.emplace(meshName, object->getMeshLOD());
        }
        if (object->getMeshLOD()) {
            object->computeBounds();
            if (meshName == "glimmet_mesh")
                r.animation->objects.push_back(object);
            r.scene->addObject(object);
            placed = true;
        }
    }
    if (!placed) {
        if (const auto light = r.lightsByName.find(node.mName.C_Str()); light != r.lightsByName.end()) {
            object->light = light->second;
            object->computeBounds();
            if (!r.userModel)
                r.animation->objects.push_back(object);
            r.scene->addObject(object);
        }
    }

    for (unsigned i = 0; i < node.mNumChildren; ++i)
        processNode(r, modelScene, *node.mChildren[i], object);
    if (parent)
        parent->mergeBounds(*object);
}

}  // namespace

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
    data.indices.reserve(3 * std::size_t(modelMesh.mNumFaces));
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
    data.vertices = joinIdenticalVertices(data.vertices, data.indices);
    if (!modelMesh.mNormals)
        computeFaceNormals(data);
    return data;
}

std::shared_ptr<Mesh> loadSphereMesh(ImportContext& context, const std::string& path)
{
    const aiScene* modelScene = readModel(context, path);
    return modelScene ? findSphere(context, *modelScene, *modelScene->mRootNode) : nullptr;
}

namespace {

// The light sphere and the billboard program every scene of an import
// shares, loaded on first use; false (reported) without the sphere.
bool loadSharedAssets(ImportContext& r)
{
    if (!r.lightSphereMesh)
        r.lightSphereMesh = loadSphereMesh(r, r.assetDirectory + "/sphere.fbx");
    if (!r.lightSphereMesh) {
        std::cerr << "Error reading sphere mesh: " << r.readError << std::endl;
        return false;
    }
    if (!r.billboardShader)
        r.billboardShader = r.resources->program(r.assetDirectory + "/billboard", true);
    return true;
}

// The objects of the model: sky, lights, the node tree below `root`, octree.
void importObjects(ImportContext& r, const aiScene& modelScene, const std::shared_ptr<SceneObject>& root,
                   float unboundedLightRadius)
{
    r.scene = std::make_shared<Scene>();
    std::shared_ptr<Shader> skyProgram = r.resources->program("QM/cubemap");
    r.scene->setSkybox(r.resources->sky(loadCubeFaces(r.assetDirectory + "/cubemap", "loadsa_colors_"), skyProgram));
    r.lightsByName.clear();
    createLights(r, modelScene, unboundedLightRadius);
    r.meshLODs.clear();
    r.rejectedMeshes.clear();
    r.animation = std::make_shared<AnimationHandler>();
    processNode(r, modelScene, *modelScene.mRootNode, root);
    r.scene->buildOctree();
}

// Uploads every level once (a mesh shared by several levels is one upload)
// and frees the CPU copies.
void uploadLevels(const ImportContext& r)
{
    for (const auto& lod : r.lodList) {
        for (int level = 0; level < 4; ++level) {
            const std::shared_ptr<Mesh> mesh = lod->getLevel(level);
            if (mesh && !mesh->gpu) {
                mesh->gpu = r.resources->mesh(*mesh);
                mesh->releaseCpuData();
            }
        }
    }
}

// Once its meshes, materials and lights are copied, the reader's scene is
// not needed: freed before the level-of-detail build, it leaves the peak
// (a PLY field of 8 million triangles: by about 400 MB).
void releaseReaderScene(ImportContext& r, const aiScene& modelScene)
{
    if (r.importer.GetScene() == &modelScene)
        r.importer.FreeScene();
}

using Clock = std::chrono::steady_clock;

long long millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The program table a user names: its program names are the runtime data's.
void loadUserTable(ImportContext& r, const std::string& table)
{
    std::ifstream file(table);
    if (!file) {
        std::cerr << "Could not open the table \"" << table << "\"; every material gets a default program."
                  << std::endl;
        return;
    }
    applyShaderTable(r, parseShaderTable(file), table);
}

}  // namespace

ImportedScene SceneImport::loadScene(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    state.assetDirectory = slash == std::string::npos ? path : path.substr(0, slash);
    state.textureDirectory = state.assetDirectory;

    std::cout << "Hi! Welcome to Quillmoor!" << std::endl;
    std::cout << controls << std::endl;
    std::cout << "Please wait on assimp to load the needed files." << std::endl;
    std::cout << "Any complaints for the wait time can be directed to:" << std::endl;
    std::cout << "https://github.com/assimp/assimp. " << std::endl;
    std::cout << "Thank you for understanding." << std::endl;

    if (!loadSharedAssets(state))
        return {};
    loadShaderSources(state);

    const aiScene* modelScene = readModel(state, path);
    if (!modelScene)
        return {};
    return buildScene(*modelScene);
}

ImportedScene SceneImport::buildScene(const aiScene& modelScene)
{
    importObjects(state, modelScene, nullptr, 0.0f);
    releaseReaderScene(state, modelScene);
    std::cout << "\nIn order to improve the performance, this application uses several level of detail techniques. "
                 "Please wait while other levels of detail for the scene are being generated.\nThis might take a "
                 "few minutes.\n"
              << std::endl;
    generateLODs(state);
    std::cout << "LOD models built! Cleaning up, hold tight..." << std::endl;
    uploadLevels(state);
    std::cout << "\nWelcome!" << std::endl;
    return finish();
}

ImportedScene SceneImport::openModel(const UserModel& model)
{
    const auto opening = Clock::now();
    std::error_code error;
    if (!std::filesystem::is_regular_file(model.path, error)) {
        std::cerr << "Could not open \"" << model.path << "\": "
                  << (std::filesystem::exists(model.path, error) ? "not a file" : "no such file") << "." << std::endl;
        return {};
    }
    std::cout << controls << "Home or H - back to the start view\n" << std::endl;
    state.assetDirectory = "QM";
    state.textureDirectory = std::filesystem::path(model.path).parent_path().string();
    if (state.textureDirectory.empty())
        state.textureDirectory = ".";
    if (!loadSharedAssets(state))
        return {};
    state.materialShaderNames.clear();
    if (!model.table.empty())
        loadUserTable(state, model.table);

    std::cout << "Reading " << model.path << " ..." << std::endl;
    auto step = Clock::now();
    const aiScene* modelScene = readModelFile(state.importer, model.path, state.readError);
    if (!modelScene) {
        std::cerr << "Could not open \"" << model.path << "\": " << state.readError << std::endl;
        return {};
    }
    std::cout << "Read in " << millisecondsSince(step) << " ms: " << modelScene->mNumMeshes << " meshes, "
              << modelScene->mNumMaterials << " materials, " << modelScene->mNumLights << " lights, "
              << modelScene->mNumTextures << " embedded pictures." << std::endl;
    ImportedScene built = buildUserScene(*modelScene, model);
    std::cout << "Ready in " << millisecondsSince(opening) << " ms." << std::endl;
    return built;
}

ImportedScene SceneImport::buildUserScene(const aiScene& modelScene, const UserModel& model)
{
    state.userModel = model;
    state.materialCounts = {};
    const ModelOrientation orientation = modelOrientation(modelScene, model.upAxis, model.scale);
    std::cout << orientation.description << std::endl;
    const BoundingBox bounds = modelBounds(modelScene, orientation.transform);
    // The file's placement above its own root node.
    auto root = std::make_shared<SceneObject>();
    root->model = orientation.transform;

    std::cout << "Materials, textures and meshes ..." << std::endl;
    auto step = Clock::now();
    importObjects(state, modelScene, root, 2.0f * glm::length(bounds.halfExtents));
    const ImportContext::MaterialCounts& counts = state.materialCounts;
    std::cout << "Materials: " << counts.fromTable << " from the table, " << counts.standard
              << " with the standard program, " << counts.diffuse << " with the diffuse program; " << counts.ownColour
              << " drawn in their own colour. Done in " << millisecondsSince(step) << " ms." << std::endl;
    releaseReaderScene(state, modelScene);

    std::cout << "Level of detail for " << state.meshLODs.size() << " meshes ..." << std::endl;
    step = Clock::now();
    generateLODs(state);
    const long long building = millisecondsSince(step);
    step = Clock::now();
    uploadLevels(state);
    std::cout << "Level of detail built in " << building << " ms, uploaded in " << millisecondsSince(step) << " ms."
              << std::endl;

    Scene& scene = *state.scene;
    scene.fillLight = 1.0f;
    Camera& camera = *scene.camera;
    camera.aspectRatio = model.aspectRatio;
    scene.startView = frameBox(bounds, camera.fov, camera.aspectRatio);
    applyFraming(camera, *scene.startView);
    state.userModel.reset();
    return finish();
}

ImportedScene SceneImport::finish()
{
    ImportedScene built{std::move(state.scene), std::move(state.animation)};
    state.meshLODs.clear();
    state.lodList.clear();
    state.materialsByIndex.clear();
    state.lightsByName.clear();
    state.rejectedMeshes.clear();
    return built;
}

}  // namespace qm
