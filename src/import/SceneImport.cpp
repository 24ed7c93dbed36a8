#include "SceneImport.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <utility>

#include "AnimationHandler.h"
#include "Controls.h"
#include "EnvironmentLight.h"
#include "FileLights.h"
#include "GraphicsResources.h"
#include "LevelOfDetailBuild.h"
#include "MaterialImport.h"
#include "MeshDeformation.h"
#include "MeshLOD.h"
#include "ModelFraming.h"
#include "ModelOrientation.h"
#include "PointLight.h"
#include "SceneSource.h"
#include "ShaderTable.h"
#include "TextureLoading.h"
#include "VertexJoin.h"

namespace qm {

namespace {

using Clock = std::chrono::steady_clock;

long long millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::shared_ptr<Mesh> processMesh(ImportContext& r, const SceneMesh& modelMesh,
                                  const std::shared_ptr<SceneObject>& owner, std::shared_ptr<Material> material,
                                  const std::string& key = "");

constexpr const char* controls = "Controls: \nWASD - movement\nMouse - pan\n1 - decrease camera exposure\n2 - "
                                 "increase camera exposure\n3 - decrease camera focus distance\n4 - increase camera "
                                 "focus distance\n";

// A model file's scene data (see SceneSource.h), with the shipped scene's
// complaint when it cannot be read.
SceneSource readModel(ImportContext& r, const std::string& path)
{
    SceneSource source = readSceneSource(r, path);
    if (!source.scene) {
        r.build.readError = source.error;
        *r.build.log.problems << "Assimp file reading error: " << r.build.readError << std::endl;
    }
    return source;
}

// The first node named "Sphere", parents first; that node's first mesh.
std::shared_ptr<Mesh> findSphere(ImportContext& r, const SceneData& modelScene)
{
    for (const SceneNode& node : modelScene.nodes) {
        if (node.name != "Sphere")
            continue;
        if (node.meshes.empty())
            return nullptr;
        auto material = std::make_shared<Material>();
        material->shader = r.session.resources->program("QM/lightSphere");
        return processMesh(r, modelScene.meshes[node.meshes[0]], nullptr, material);
    }
    return nullptr;
}

// Linear RGBA, 0 to 1, as 8 bits a channel with red in the lowest byte.
std::uint32_t packColour(const float* rgba)
{
    std::uint32_t packed = 0;
    for (int c = 0; c < 4; ++c) {
        const float value = std::isfinite(rgba[c]) ? std::clamp(rgba[c], 0.0f, 1.0f) : 1.0f;
        packed |= std::uint32_t(std::lround(value * 255.0f)) << (8 * c);
    }
    return packed;
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

// The deforming form of a program the import loaded by name, loaded once.
std::shared_ptr<Shader> deformingVariant(ImportContext& r, const std::shared_ptr<Shader>& shader)
{
    for (const auto& [name, loaded] : r.session.shadersByName) {
        if (loaded != shader)
            continue;
        std::shared_ptr<Shader>& variant = r.session.deformingShaders[name];
        if (!variant)
            variant = r.session.resources->deformingProgram(r.session.assetDirectory + "/" + name);
        return variant;
    }
    return nullptr;
}

// The material a mesh is drawn with in its file's material `index`: the
// unlit one for points and lines, and for surfaces the file marks unlit.
std::shared_ptr<Material> drawnMaterial(ImportContext& r, const SceneData& modelScene, const SceneMesh& modelMesh,
                                        std::uint32_t index)
{
    const bool unlit = (modelMesh.triangles.empty() || modelScene.materials[index].unlit) && modelMesh.problem.empty();
    return unlit ? unlitMaterialFor(r, modelScene, index) : materialFor(r, modelScene, index);
}

// The materials the file's variants give a mesh's chain, for V to show.
void addVariantChange(ImportContext& r, const SceneData& modelScene, const SceneMesh& modelMesh,
                      const std::shared_ptr<MeshLOD>& chain)
{
    if (modelMesh.variantMaterials.empty() || !chain || !chain->levels[0])
        return;
    const Mesh& original = *chain->levels[0];
    MaterialVariants::Change change{chain, original.getMaterial(), {}};
    change.byVariant.resize(modelScene.variants.size());
    for (std::size_t i = 0; i + 1 < modelMesh.variantMaterials.size(); i += 2) {
        std::shared_ptr<Material> material = drawnMaterial(r, modelScene, modelMesh, modelMesh.variantMaterials[i + 1]);
        if (material && original.deformation && !material->deformingShader)
            material->deformingShader = deformingVariant(r, material->shader);
        change.byVariant[modelMesh.variantMaterials[i]] = std::move(material);
    }
    r.build.scene->variants.changes.push_back(std::move(change));
}

// A user model's node with all its meshes: the first on the node's own
// object, each further one on a child object in the same place. Meshes are
// shared by index, since such files often leave names empty or repeat them.
// True when the node's own object got a mesh.
bool placeEveryMesh(ImportContext& r, const SceneData& modelScene, std::uint32_t nodeIndex,
                    const std::shared_ptr<SceneObject>& object)
{
    const SceneNode& node = modelScene.nodes[nodeIndex];
    bool placedOwn = false;
    for (const std::uint32_t index : node.meshes) {
        std::shared_ptr<SceneObject> target = object;
        if (placedOwn) {
            target = std::make_shared<SceneObject>();
            target->parent = object;
            target->model = object->model;
            target->position = object->position;
        }
        const SceneMesh& modelMesh = modelScene.meshes[index];
        std::string key = std::to_string(index);
        key.insert(0, 1, '#').append(1, ' ').append(modelMesh.name);
        if (const auto shared = r.build.meshLODs.find(key); shared != r.build.meshLODs.end())
            target->setMeshLOD(shared->second);
        else if (processMesh(r, modelMesh, target, drawnMaterial(r, modelScene, modelMesh, modelMesh.material), key)) {
            r.build.meshLODs.emplace(key, target->getMeshLOD());
            addVariantChange(r, modelScene, modelMesh, target->getMeshLOD());
        }
        if (!target->getMeshLOD())
            continue;
        target->computeBounds();
        r.build.scene->addObject(target);
        if (r.build.deformMeshes)
            r.build.placements.push_back({target, nodeIndex, std::int32_t(index)});
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
std::shared_ptr<Mesh> processMesh(ImportContext& r, const SceneMesh& modelMesh,
                                  const std::shared_ptr<SceneObject>& owner, std::shared_ptr<Material> material,
                                  const std::string& key)
{
    const std::string name = key.empty() ? modelMesh.name : key;
    if (r.build.rejectedMeshes.count(name))
        return nullptr;
    std::string problem;
    std::shared_ptr<const MeshDeformation> deformation;
    if (r.build.deformMeshes && modelMesh.problem.empty()) {
        deformation = readDeformation(modelMesh, problem);
        if (!problem.empty())
            *r.build.log.problems << "Drawing the mesh \"" << name << "\" without its skin: " << problem << "." << std::endl;
        problem.clear();
    }
    std::optional<MeshData> data = readMeshData(modelMesh, problem, deformation != nullptr);
    if (!data || data->indices.empty()) {
        if (!data)
            *r.build.log.problems << "Leaving out the mesh \"" << name << "\": " << problem << "." << std::endl;
        r.build.rejectedMeshes.insert(name);
        return nullptr;
    }
    if (deformation && material && !material->deformingShader)
        material->deformingShader = deformingVariant(r, material->shader);
    auto mesh = std::make_shared<Mesh>(std::move(data->vertices), std::move(data->indices), std::move(material),
                                       data->primitive);
    mesh->deformation = std::move(deformation);
    if (owner) {
        auto lod = std::make_shared<MeshLOD>(mesh, mesh, mesh);
        lod->computeBoundingBox();
        owner->setMeshLOD(lod);
    }
    return mesh;
}

// The shipped scene's node: its first mesh, shared by name. False when the
// node and its subtree are left out (the table gives its material no program).
bool placeFirstMesh(ImportContext& r, const SceneData& modelScene, const SceneNode& node,
                    const std::shared_ptr<SceneObject>& object)
{
    if (node.meshes.empty())
        return true;
    const SceneMesh& modelMesh = modelScene.meshes[node.meshes[0]];
    if (const auto shared = r.build.meshLODs.find(modelMesh.name); shared != r.build.meshLODs.end()) {
        object->setMeshLOD(shared->second);
    } else {
        const std::shared_ptr<Material> material = materialFor(r, modelScene, modelMesh.material);
        if (!material)
            return false;
        if (processMesh(r, modelMesh, object, material))
            r.build.meshLODs.emplace(modelMesh.name, object->getMeshLOD());
    }
    if (object->getMeshLOD()) {
        object->computeBounds();
        if (r.build.policy.animated && modelMesh.name == "glimmet_mesh")
            r.build.animation->objects.push_back(object);
        r.build.scene->addObject(object);
    }
    return true;
}

// Creates the objects of the model's nodes below `root`. The nodes come
// parents first, so a loop builds the tree without recursion (a file's tree
// may be deeper than the stack); a second loop, children first, merges the
// bounds upwards.
void processNodes(ImportContext& r, const SceneData& modelScene, const std::shared_ptr<SceneObject>& root)
{
    const std::size_t count = modelScene.nodes.size();
    std::vector<std::shared_ptr<SceneObject>> objects(count);
    std::vector<bool> leftOut(count, false);
    for (std::size_t i = 0; i < count; ++i) {
        const SceneNode& node = modelScene.nodes[i];
        const std::shared_ptr<SceneObject> parent = node.parent < 0 ? root : objects[std::size_t(node.parent)];
        if (node.parent >= 0 && leftOut[std::size_t(node.parent)]) {
            leftOut[i] = true;
            continue;
        }
        auto object = std::make_shared<SceneObject>();
        objects[i] = object;
        object->parent = parent;
        object->localTransform = glm::make_mat4(node.transform.data());
        // Column vectors: the parent's world matrix applies after the child's own.
        object->model = parent ? parent->model * object->localTransform : object->localTransform;
        if (const auto sun = r.build.sunsByName.find(node.name); sun != r.build.sunsByName.end())
            if (const auto aimed = aimedDirectionalLight(sun->second, object->model))
                r.build.scene->directionalLights.push_back(*aimed);
        if (parent)
            parent->children.push_back(object);
        object->position = glm::vec3(object->model[3]);

        bool placed = false;
        if (r.build.policy.everyMesh) {
            placed = placeEveryMesh(r, modelScene, std::uint32_t(i), object);
        } else if (!placeFirstMesh(r, modelScene, node, object)) {
            leftOut[i] = true;
            continue;
        } else {
            placed = object->getMeshLOD() != nullptr;
        }
        if (!placed) {
            if (const auto light = r.build.lightsByName.find(node.name); light != r.build.lightsByName.end()) {
                object->light = light->second;
                object->computeBounds();
                if (r.build.policy.animated)
                    r.build.animation->objects.push_back(object);
                if (r.build.deformMeshes)
                    r.build.placements.push_back({object, std::uint32_t(i), -1});
                r.build.scene->addObject(object);
            }
        }
    }
    for (std::size_t i = count; i-- > 0;) {
        if (leftOut[i])
            continue;
        const std::int32_t parent = modelScene.nodes[i].parent;
        if (parent >= 0)
            objects[std::size_t(parent)]->mergeBounds(*objects[i]);
        else if (root)
            root->mergeBounds(*objects[i]);
    }
}

// The light a user's physically based surfaces reflect: the file named, or
// the neutral one (also when the file cannot be read, with one line why).
EnvironmentImage environmentFor(const UserModel& model, const Log& log)
{
    if (!model.environment.empty()) {
        std::string problem;
        // Enough texels a face for sharp reflections on smooth metal.
        if (std::optional<EnvironmentImage> loaded = loadEnvironment(model.environment, 128, problem))
            return std::move(*loaded);
        *log.problems << "Could not read the environment \"" << model.environment << "\": " << problem
                      << "; using the neutral one." << std::endl;
    }
    return neutralEnvironment(32);
}

}  // namespace

std::optional<MeshData> readMeshData(const SceneMesh& modelMesh, std::string& problem, bool keepVertices)
{
    if (!modelMesh.problem.empty()) {
        problem = modelMesh.problem;
        return std::nullopt;
    }
    MeshData data;
    const std::size_t count = modelMesh.vertexCount();
    data.vertices.resize(count);
    const std::vector<float>& positions = modelMesh.positions;
    const std::vector<float>& normals = modelMesh.normals;
    const std::vector<float>& texCoords = modelMesh.texCoords[0];
    const std::vector<float>& secondTexCoords = modelMesh.texCoords[1].empty() ? texCoords : modelMesh.texCoords[1];
    const std::vector<float>& colours = modelMesh.colours;
    for (std::size_t v = 0; v < count; ++v) {
        const glm::vec3 p(positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]);
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            problem = "vertex " + std::to_string(v) + " has a position that is not a finite number";
            return std::nullopt;
        }
        Vertex& vertex = data.vertices[v];
        vertex.position = p;
        if (!normals.empty())
            vertex.normal = {normals[3 * v], normals[3 * v + 1], normals[3 * v + 2]};
        if (!texCoords.empty())
            vertex.texCoords = {texCoords[2 * v], texCoords[2 * v + 1]};
        if (!secondTexCoords.empty())
            vertex.texCoords1 = {secondTexCoords[2 * v], secondTexCoords[2 * v + 1]};
        if (!colours.empty())
            vertex.colour = packColour(&colours[4 * v]);
    }
    // A mesh of several kinds is drawn as its triangles: files mix them rarely.
    if (!modelMesh.triangles.empty()) {
        data.indices = modelMesh.triangles;
        if (!keepVertices)
            data.vertices = joinIdenticalVertices(data.vertices, data.indices);
        if (normals.empty())
            computeFaceNormals(data);
    } else {
        // The reader has joined the vertices already; the viewer's join counts in triangles.
        data.primitive = modelMesh.lines.empty() ? Primitive::Points : Primitive::Lines;
        data.indices = modelMesh.lines.empty() ? modelMesh.points : modelMesh.lines;
    }
    return data;
}

std::shared_ptr<Mesh> loadSphereMesh(ImportContext& context, const std::string& path)
{
    // The sphere's entry is the sphere's alone: no levels, whatever the scene's policy.
    const ImportPolicy policy = std::exchange(context.build.policy, ImportPolicy::shippedScene());
    SceneSource source = readModel(context, path);
    context.build.policy = policy;
    if (!source.scene)
        return nullptr;
    std::shared_ptr<Mesh> sphere = findSphere(context, *source.scene);
    commitCacheEntry(source);
    return sphere;
}

namespace {

// The light sphere and the billboard program every scene of an import
// shares, loaded on first use; false (reported) without the sphere.
bool loadSharedAssets(ImportContext& r)
{
    if (!r.session.lightSphereMesh)
        r.session.lightSphereMesh = loadSphereMesh(r, r.session.assetDirectory + "/sphere.fbx");
    if (!r.session.lightSphereMesh) {
        *r.build.log.problems << "Error reading sphere mesh: " << r.build.readError << std::endl;
        return false;
    }
    if (!r.session.billboardShader)
        r.session.billboardShader = r.session.resources->program(r.session.assetDirectory + "/billboard", true);
    return true;
}

// The objects of the model: sky, lights, the node tree below `root`, its
// motion, octree. Returns the box the model's meshes take over its clips
// when it has any.
std::optional<BoundingBox> importObjects(ImportContext& r, const SceneData& modelScene,
                                         const std::shared_ptr<SceneObject>& root, float unboundedLightRadius)
{
    r.build.scene = std::make_shared<Scene>();
    std::shared_ptr<Shader> skyProgram = r.session.resources->program("QM/cubemap");
    const CubeFaces faces = loadCubeFaces(r.session.assetDirectory + "/cubemap", "loadsa_colors_", *r.build.log.problems,
                                           r.session.dataRoot);
    r.build.scene->setSkybox(r.session.resources->sky(faces, skyProgram));
    r.build.lightsByName.clear();
    r.build.sunsByName.clear();
    createLights(r, modelScene, unboundedLightRadius);
    r.build.meshLODs.clear();
    r.build.rejectedMeshes.clear();
    r.build.animation = std::make_shared<AnimationHandler>();
    // Meshes keep what deforms them only when a clip moves something.
    std::vector<AnimationClip> clips =
        r.build.policy.fileMotion ? readClips(modelScene, *r.build.log.problems) : std::vector<AnimationClip>{};
    r.build.deformMeshes = !clips.empty();
    r.build.placements.clear();
    processNodes(r, modelScene, root);
    std::optional<BoundingBox> moving;
    if (r.build.deformMeshes)
        r.build.motion = buildModelMotion(modelScene, std::move(clips), root ? root->model : glm::mat4(1.0f),
                                    std::move(r.build.placements), *r.build.log.problems);
    r.build.placements.clear();
    if (r.build.motion) {
        moving = r.build.motion->fitBounds();
        r.build.scene->motion = r.build.motion;
    }
    r.build.scene->buildOctree();
    return moving;
}

// The decoded pictures of a cache entry, or, when an entry is being
// written, keeps the pictures this import decodes for it.
void usePictures(ImportContext& r, const SceneSource& source)
{
    r.build.pictures.clear();
    if (const auto pictures = cachedSection(source, CacheSection::Pictures))
        r.build.pictures.useCached(*pictures);
    if (source.writer)
        r.build.pictures.keep();
}

// The billboards and levels of detail: the levels from the cache entry
// when it holds them for these chains, else built (and, with the pictures
// and the files the scene was built from, added to the entry being written).
void levelsOfDetail(ImportContext& r, SceneSource& source)
{
    attachBillboards(r);
    addSourceFiles(source, r.build.pictures.files());
    const auto levels = cachedSection(source, CacheSection::Levels);
    if (levels && !r.build.policy.thumbnail && takeLevels(r, *levels))
        return;
    if (source.writer) {
        addCacheSection(source, r.build.pictures.encode());
        r.build.pictures.clear();
        buildLevels(r);
        addCacheSection(source, encodeLevels(r));
        commitCacheEntry(source);
    } else {
        buildLevels(r);
    }
}

// Uploads every level once (a mesh shared by several levels is one upload;
// a deforming mesh's levels read its vertices) and frees the CPU copies.
void uploadLevels(const ImportContext& r)
{
    for (const auto& lod : r.build.lodList) {
        const std::shared_ptr<Mesh>& original = lod->levels[0];
        for (int level = 0; level < 4; ++level) {
            const std::shared_ptr<Mesh> mesh = lod->getLevel(level);
            if (!mesh || mesh->gpu)
                continue;
            mesh->gpu = level > 0 && mesh->deformation && original && original->gpu
                            ? r.session.resources->level(*mesh, original->gpu)
                            : r.session.resources->mesh(*mesh);
            mesh->releaseCpuData();
        }
    }
}


// The program table a user names: its program names are the runtime data's.
void loadUserTable(ImportContext& r, const std::string& table)
{
    std::ifstream file(table);
    if (!file) {
        *r.build.log.problems << "Could not open the table \"" << table << "\"; every material gets a default program."
                              << std::endl;
        return;
    }
    applyShaderTable(r, parseShaderTable(file), table);
}

}  // namespace

SceneImport::SceneImport(GraphicsResources& resources, ReaderSettings reader, std::optional<CacheSettings> cache,
                         std::filesystem::path dataRoot)
{
    state.session.dataRoot = std::move(dataRoot);
    state.session.resources = &resources;
    state.session.reader = std::move(reader);
    state.session.cache = std::move(cache);
}

ImportedScene SceneImport::loadScene(const std::string& path, const Log& log)
{
    state.build = SceneBuild{};
    state.build.log = log;
    const std::size_t slash = path.find_last_of('/');
    state.session.assetDirectory = slash == std::string::npos ? path : path.substr(0, slash);
    state.build.textureDirectory = state.session.assetDirectory;
    state.build.policy = ImportPolicy::shippedScene();

    *state.build.log.progress << "Hi! Welcome to Quillmoor!" << std::endl;
    *state.build.log.progress << controls << std::endl;
    *state.build.log.progress << "Please wait on assimp to load the needed files." << std::endl;
    *state.build.log.progress << "Any complaints for the wait time can be directed to:" << std::endl;
    *state.build.log.progress << "https://github.com/assimp/assimp. " << std::endl;
    *state.build.log.progress << "Thank you for understanding." << std::endl;

    if (!loadSharedAssets(state))
        return {};
    loadShaderSources(state);

    SceneSource source = readModel(state, path);
    if (!source.scene)
        return {};
    return buildScene(source);
}

ImportedScene SceneImport::buildScene(SceneSource& source)
{
    usePictures(state, source);
    importObjects(state, *source.scene, nullptr, 0.0f);
    // Copied into the scene's meshes: freed before the level-of-detail build,
    // it leaves the peak (a PLY field of 8 million triangles: by about 400 MB).
    source.scene.reset();
    *state.build.log.progress << "\nIn order to improve the performance, this application uses several level of detail techniques. "
                 "Please wait while other levels of detail for the scene are being generated.\nThis might take a "
                 "few minutes.\n"
              << std::endl;
    levelsOfDetail(state, source);
    *state.build.log.progress << "LOD models built! Cleaning up, hold tight..." << std::endl;
    uploadLevels(state);
    *state.build.log.progress << "\nWelcome!" << std::endl;
    return finish();
}

ImportedScene SceneImport::openModel(const UserModel& model, const Log& log, std::function<bool()> keepWaiting)
{
    state.build = SceneBuild{};
    state.build.log = log;
    const auto opening = Clock::now();
    std::error_code error;
    if (!std::filesystem::is_regular_file(model.path, error)) {
        *state.build.log.problems << "Could not open \"" << model.path << "\": "
                                  << (std::filesystem::exists(model.path, error) ? "not a file" : "no such file") << "." << std::endl;
        return {};
    }
    *state.build.log.progress << "Controls: \n";
    for (const std::string& line : controlLines(false))
        *state.build.log.progress << line << '\n';
    *state.build.log.progress << std::endl;
    state.session.assetDirectory = "QM";
    state.build.textureDirectory = std::filesystem::path(model.path).parent_path().string();
    if (state.build.textureDirectory.empty())
        state.build.textureDirectory = ".";
    if (!loadSharedAssets(state))
        return {};
    if (!model.table.empty())
        loadUserTable(state, model.table);

    *state.build.log.progress << "Reading " << model.path << " ..." << std::endl;
    auto step = Clock::now();
    state.build.policy = ImportPolicy::userFile(model);
    state.build.keepWaiting = std::move(keepWaiting);
    SceneSource source = readSceneSource(state, model.path);
    state.build.keepWaiting = nullptr;
    if (!source.scene) {
        *state.build.log.problems << "Could not open \"" << model.path << "\": " << source.error << std::endl;
        return {};
    }
    const SceneData& read = *source.scene;
    for (const std::string& note : read.notes)
        *state.build.log.problems << note << std::endl;
    ModelSummary& s = state.build.summary;
    s.file = model.path;
    s.fromCache = source.cached != nullptr;
    s.meshes = read.meshes.size();
    for (const SceneMesh& mesh : read.meshes) {
        s.triangles += mesh.triangles.size() / 3;
        s.lines += mesh.lines.size() / 2;
        s.points += mesh.points.size();
    }
    s.materials = read.materials.size();
    s.lights = read.lights.size();
    s.embeddedPictures = read.images.size();
    *state.build.log.progress << (source.cached ? "Read from the cache in " : "Read in ") << millisecondsSince(step) << " ms: "
                              << s.meshes << " meshes (" << s.triangles << " triangles, " << s.lines << " lines, "
                              << s.points << " points), " << s.materials << " materials, " << s.lights << " lights, "
                              << s.embeddedPictures << " embedded pictures." << std::endl;
    ImportedScene built = buildUserScene(source, model);
    *state.build.log.progress << "Ready in " << millisecondsSince(opening) << " ms." << std::endl;
    return built;
}

ImportedScene SceneImport::buildUserScene(SceneSource& source, const UserModel& model)
{
    const SceneData& modelScene = *source.scene;
    const ModelOrientation orientation = modelOrientation(modelScene, model.upAxis, model.scale);
    *state.build.log.progress << orientation.description << std::endl;
    const BoundingBox bounds = modelBounds(modelScene, orientation.transform);
    std::vector<FileView> views = fileViews(modelScene, orientation.transform);
    // The file's placement above its own root node.
    auto root = std::make_shared<SceneObject>();
    root->model = orientation.transform;

    *state.build.log.progress << "Materials, textures and meshes ..." << std::endl;
    auto step = Clock::now();
    usePictures(state, source);
    const std::optional<BoundingBox> moving =
        importObjects(state, modelScene, root, 2.0f * glm::length(bounds.halfExtents));
    state.build.scene->variants.names = modelScene.variants;
    const SceneBuild::MaterialCounts& counts = state.build.materialCounts;
    *state.build.log.progress << "Materials: " << counts.fromTable << " from the table, " << counts.standard
                              << " with the standard program, " << counts.diffuse << " with the diffuse program, "
                              << counts.physicallyBased << " physically based; " << counts.ownColour
                              << " drawn in their own colour. Done in " << millisecondsSince(step) << " ms." << std::endl;
    source.scene.reset();
    if (const ModelMotion* motion = state.build.motion.get()) {
        const auto& deformers = motion->deformers;
        const auto skinned = std::count_if(deformers.begin(), deformers.end(),
                                           [](const ModelMotion::Deformer& d) { return d.skinned(); });
        const auto morphing = std::count_if(deformers.begin(), deformers.end(),
                                            [](const ModelMotion::Deformer& d) { return !d.weights.empty(); });
        *state.build.log.progress << motion->listing() << " Moving " << motion->placements.size() << " objects, " << skinned
                                  << " of them skinned and " << morphing << " morphing." << std::endl;
    }

    *state.build.log.progress << "Level of detail for " << state.build.meshLODs.size() << " meshes ..." << std::endl;
    state.build.summary.levelChains = state.build.meshLODs.size();
    step = Clock::now();
    levelsOfDetail(state, source);
    const long long building = millisecondsSince(step);
    step = Clock::now();
    uploadLevels(state);
    *state.build.log.progress << "Level of detail " << (source.cached ? "from the cache" : "built") << " in " << building
                              << " ms, uploaded in " << millisecondsSince(step) << " ms." << std::endl;

    Scene& scene = *state.build.scene;
    scene.fileViews = std::move(views);
    scene.sourceFiles = std::move(source.files);
    scene.fillLight = 1.0f;
    scene.environment = state.session.resources->environment(environmentFor(model, state.build.log));
    Camera& camera = *scene.camera;
    camera.aspectRatio = model.aspectRatio;
    // A moving model is framed over its clips, so that none of it walks out of the start view.
    BoundingBox framed = bounds;
    if (moving)
        framed.grow(moving->min, moving->max);
    scene.startView = frameBox(framed, camera.fov, camera.aspectRatio);
    scene.guides = Guides{framed};
    applyFraming(camera, *scene.startView);
    ModelSummary& summary = state.build.summary;
    summary.units = orientation.description;
    summary.physicallyBased = std::size_t(state.build.materialCounts.physicallyBased);
    summary.clips = state.build.motion ? state.build.motion->clips.size() : 0;
    scene.summary = std::move(summary);
    return finish();
}

ImportedScene SceneImport::finish()
{
    ImportedScene built{std::move(state.build.scene), std::move(state.build.animation)};
    state.build = SceneBuild{};
    return built;
}

}  // namespace qm
