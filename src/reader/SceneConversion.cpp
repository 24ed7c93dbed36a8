#include "SceneConversion.h"

#include <assimp/GltfMaterial.h>
#include <assimp/material.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "MaterialModels.h"
#include "MeshVertexJoin.h"

namespace qm {

namespace {

Matrix4 columnMajor(const aiMatrix4x4& m)
{
    Matrix4 out{};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            out[std::size_t(column * 4 + row)] = m[row][column];
    return out;
}

template <typename V>
void appendVectors(std::vector<float>& out, const V* values, unsigned count)
{
    if (!values)
        return;
    out.reserve(3 * std::size_t(count));
    for (unsigned i = 0; i < count; ++i)
        out.insert(out.end(), {values[i].x, values[i].y, values[i].z});
}

// The four heaviest bones of every vertex; bone weights that name vertices
// the mesh lacks are passed over.
void convertSkin(const aiMesh& from, SceneMesh& to)
{
    const std::size_t n = from.mNumVertices;
    to.boneIndices.assign(4 * n, 0);
    to.boneWeights.assign(4 * n, 0.0f);
    for (unsigned b = 0; b < from.mNumBones; ++b) {
        const aiBone& bone = *from.mBones[b];
        to.bones.push_back({bone.mName.C_Str(), columnMajor(bone.mOffsetMatrix)});
        for (unsigned w = 0; w < bone.mNumWeights; ++w) {
            const aiVertexWeight& weight = bone.mWeights[w];
            if (weight.mVertexId >= n)
                continue;
            float* weights = &to.boneWeights[4 * std::size_t(weight.mVertexId)];
            std::uint32_t* indices = &to.boneIndices[4 * std::size_t(weight.mVertexId)];
            const std::size_t lightest = std::size_t(std::min_element(weights, weights + 4) - weights);
            if (weight.mWeight > weights[lightest]) {
                weights[lightest] = weight.mWeight;
                indices[lightest] = b;
            }
        }
    }
}

SceneMesh convertMesh(const aiMesh& from)
{
    SceneMesh to;
    to.name = from.mName.C_Str();
    to.material = from.mMaterialIndex;
    const unsigned n = from.mNumVertices;
    for (unsigned f = 0; from.mFaces && f < from.mNumFaces; ++f) {
        const aiFace& face = from.mFaces[f];
        for (unsigned k = 0; k < face.mNumIndices; ++k) {
            if (face.mIndices[k] >= n) {
                to.problem = "face " + std::to_string(f) + " uses vertex " + std::to_string(face.mIndices[k]) +
                             " of " + std::to_string(n);
                return to;
            }
        }
        std::vector<std::uint32_t>* kind = face.mNumIndices == 3   ? &to.triangles
                                           : face.mNumIndices == 2 ? &to.lines
                                           : face.mNumIndices == 1 ? &to.points
                                                                   : nullptr;
        if (kind)
            kind->insert(kind->end(), face.mIndices, face.mIndices + face.mNumIndices);
    }
    // A point cloud: vertices and no faces at all.
    if (from.mNumFaces == 0 || !from.mFaces)
        for (unsigned v = 0; v < n; ++v)
            to.points.push_back(v);
    appendVectors(to.positions, from.mVertices, n);
    appendVectors(to.normals, from.mNormals, n);
    if (from.mTangents && from.mBitangents && from.mNormals) {
        to.tangents.reserve(4 * std::size_t(n));
        for (unsigned v = 0; v < n; ++v) {
            const aiVector3D& t = from.mTangents[v];
            const float handedness = ((from.mNormals[v] ^ t) * from.mBitangents[v]) < 0.0f ? -1.0f : 1.0f;
            to.tangents.insert(to.tangents.end(), {t.x, t.y, t.z, handedness});
        }
    }
    for (unsigned set = 0; set < 2; ++set) {
        if (!from.HasTextureCoords(set))
            continue;
        to.texCoords[set].reserve(2 * std::size_t(n));
        for (unsigned v = 0; v < n; ++v)
            to.texCoords[set].insert(to.texCoords[set].end(),
                                     {from.mTextureCoords[set][v].x, from.mTextureCoords[set][v].y});
    }
    if (from.HasVertexColors(0)) {
        to.colours.reserve(4 * std::size_t(n));
        for (unsigned v = 0; v < n; ++v) {
            const aiColor4D& c = from.mColors[0][v];
            to.colours.insert(to.colours.end(), {c.r, c.g, c.b, c.a});
        }
    }
    if (from.mNumBones > 0)
        convertSkin(from, to);
    for (unsigned a = 0; a < from.mNumAnimMeshes; ++a) {
        const aiAnimMesh& anim = *from.mAnimMeshes[a];
        MorphTarget target;
        target.name = anim.mName.C_Str();
        if (anim.mNumVertices == n && anim.mVertices) {
            appendVectors(target.positions, anim.mVertices, n);
            appendVectors(target.normals, anim.mNormals, n);
        } else {
            target.positions = to.positions;  // a target that moves nothing
        }
        to.morphTargets.push_back(std::move(target));
    }
    return to;
}

float number(const aiMaterial& m, const char* key, unsigned type, unsigned index, float fallback)
{
    float value = fallback;
    aiGetMaterialFloat(&m, key, type, index, &value);
    return std::isfinite(value) ? value : fallback;
}

float number(const aiMaterial& m, const char* key, float fallback)
{
    return number(m, key, 0, 0, fallback);
}

std::array<float, 4> colour(const aiMaterial& m, const char* key, std::array<float, 4> fallback, bool* found = nullptr)
{
    aiColor4D c(fallback[0], fallback[1], fallback[2], fallback[3]);
    const bool present = aiGetMaterialColor(&m, key, 0, 0, &c) == AI_SUCCESS;
    if (found)
        *found = present;
    return {c.r, c.g, c.b, c.a};
}

std::array<float, 3> rgb(const std::array<float, 4>& c)
{
    return {c[0], c[1], c[2]};
}

// 3ds Max's physical material, which the FBX reader hands over only as its
// own raw keys: base colour, metalness and roughness, or glossiness and a
// specular colour. Its emission is not taken (the reader's emissive colour
// for it is off by a factor). False for any other material.
bool takeMaxPhysical(const aiMaterial& from, SceneMaterial& to)
{
    bool found = false;
    const std::array<float, 4> base = colour(from, "$raw.3dsMax|main|basecolor", {1, 1, 1, 1}, &found);
    if (!found)
        return false;
    to.physicallyBased = true;
    to.hasBaseColour = true;
    to.baseColour = base;
    to.diffuse = base;
    to.emissive = {0, 0, 0};
    float glossiness = 0.0f;
    if (aiGetMaterialFloat(&from, "$raw.3dsMax|main|glossiness", 0, 0, &glossiness) == AI_SUCCESS) {
        to.specular = rgb(colour(from, "$raw.3dsMax|main|Specular", {0.04f, 0.04f, 0.04f, 1}));
        convertSpecularGlossiness(to, glossiness);
    } else {
        to.metallic = std::clamp(number(from, "$raw.3dsMax|main|metalness", 0.0f), 0.0f, 1.0f);
        to.roughness = std::clamp(number(from, "$raw.3dsMax|main|roughness", 0.5f), 0.0f, 1.0f);
    }
    return true;
}

// The material's picture `index` of `type`: its file or embedded image,
// texture coordinates and transform.
SceneTexture convertTexture(const aiScene& scene, const aiMaterial& from, aiTextureType type, unsigned index,
                            TextureSlot slot)
{
    SceneTexture texture;
    texture.slot = slot;
    aiString path;
    aiGetMaterialTexture(&from, type, index, &path);
    texture.path = path.C_Str();
    if (const aiTexture* embedded = scene.GetEmbeddedTexture(path.C_Str())) {
        const auto found = std::find(scene.mTextures, scene.mTextures + scene.mNumTextures, embedded);
        texture.image = std::int32_t(found - scene.mTextures);
    }
    int set = 0;
    if (aiGetMaterialInteger(&from, AI_MATKEY_UVWSRC(type, index), &set) == AI_SUCCESS && set >= 0 && set < 2)
        texture.texCoordSet = std::uint32_t(set);
    aiUVTransform transform;
    if (aiGetMaterialUVTransform(&from, AI_MATKEY_UVTRANSFORM(type, index), &transform) == AI_SUCCESS &&
        std::isfinite(transform.mRotation)) {
        texture.offset = {transform.mTranslation.x, transform.mTranslation.y};
        texture.scale = {transform.mScaling.x, transform.mScaling.y};
        texture.rotation = transform.mRotation;
    }
    return texture;
}

SceneMaterial convertMaterial(const aiScene& scene, const aiMaterial& from)
{
    SceneMaterial to;
    aiString text;
    if (aiGetMaterialString(&from, AI_MATKEY_NAME, &text) == AI_SUCCESS)
        to.name = text.C_Str();
    to.diffuse = colour(from, "$clr.diffuse", to.diffuse);
    to.specular = rgb(colour(from, "$clr.specular", {0, 0, 0, 1}));
    to.emissive = rgb(colour(from, "$clr.emissive", {0, 0, 0, 1}));
    to.shininess = number(from, "$mat.shininess", 0.0f);
    to.opacity = number(from, "$mat.opacity", 1.0f);
    to.baseColour = colour(from, "$clr.base", {1, 1, 1, 1}, &to.hasBaseColour);
    to.metallic = number(from, "$mat.metallicFactor", 1.0f);
    to.roughness = number(from, "$mat.roughnessFactor", 1.0f);
    to.emissiveStrength = number(from, "$mat.emissiveIntensity", 1.0f);
    to.alphaCutoff = number(from, "$mat.gltf.alphaCutoff", 0.5f);
    if (aiGetMaterialString(&from, AI_MATKEY_GLTF_ALPHAMODE, &text) == AI_SUCCESS)
        to.alphaMode = std::strcmp(text.C_Str(), "MASK") == 0    ? AlphaMode::Mask
                       : std::strcmp(text.C_Str(), "BLEND") == 0 ? AlphaMode::Blend
                                                                 : AlphaMode::Opaque;
    int twoSided = 0;
    aiGetMaterialInteger(&from, "$mat.twosided", 0, 0, &twoSided);
    to.doubleSided = twoSided != 0;
    to.normalScale = number(from, AI_MATKEY_GLTF_TEXTURE_SCALE(aiTextureType_NORMALS, 0), 1.0f);
    to.occlusionStrength = number(from, AI_MATKEY_GLTF_TEXTURE_STRENGTH(aiTextureType_LIGHTMAP, 0), 1.0f);
    int shadingModel = 0;
    aiGetMaterialInteger(&from, AI_MATKEY_SHADING_MODEL, &shadingModel);
    float factor = 0.0f;
    const bool metalRough = aiGetMaterialFloat(&from, AI_MATKEY_METALLIC_FACTOR, &factor) == AI_SUCCESS;
    float glossiness = 0.0f;
    const bool specularGlossiness = aiGetMaterialFloat(&from, AI_MATKEY_GLOSSINESS_FACTOR, &glossiness) == AI_SUCCESS;
    to.physicallyBased = shadingModel == aiShadingMode_PBR_BRDF || metalRough || specularGlossiness;
    // The glTF reader fills in metal-rough defaults even for a file that
    // gives only specular-glossiness, whose values then are the file's.
    if (specularGlossiness)
        convertSpecularGlossiness(to, glossiness);
    const bool maxPhysical = takeMaxPhysical(from, to);

    static constexpr std::pair<aiTextureType, TextureSlot> slots[] = {
        {aiTextureType_DIFFUSE, TextureSlot::Diffuse},
        {aiTextureType_SPECULAR, TextureSlot::Specular},
        {aiTextureType_NORMALS, TextureSlot::Normal},
        {aiTextureType_BASE_COLOR, TextureSlot::BaseColour},
        {aiTextureType_METALNESS, TextureSlot::MetallicRoughness},
        // Where the glTF reader files the metal-rough picture as well.
        {aiTextureType_UNKNOWN, TextureSlot::MetallicRoughness},
        {aiTextureType_EMISSIVE, TextureSlot::Emissive},
        // Where the FBX reader files 3ds Max's physical material's normal map.
        {aiTextureType_NORMAL_CAMERA, TextureSlot::Normal},
        {aiTextureType_AMBIENT_OCCLUSION, TextureSlot::Occlusion},
        {aiTextureType_LIGHTMAP, TextureSlot::Occlusion},
        {aiTextureType_OPACITY, TextureSlot::Opacity},
    };
    for (const auto& [type, slot] : slots) {
        // 3ds Max keeps metalness and roughness in two grey pictures, not in one packed the glTF way.
        if (maxPhysical && (type == aiTextureType_METALNESS || type == aiTextureType_UNKNOWN))
            continue;
        for (unsigned i = 0; i < aiGetMaterialTextureCount(&from, type); ++i)
            to.textures.push_back(convertTexture(scene, from, type, i, slot));
    }
    return to;
}

SceneImage convertImage(const aiTexture& from)
{
    SceneImage to;
    to.name = from.mFilename.C_Str();
    to.formatHint = std::string(from.achFormatHint, strnlen(from.achFormatHint, sizeof from.achFormatHint));
    to.width = from.mWidth;
    to.height = from.mHeight;
    const std::size_t size = from.mHeight == 0 ? from.mWidth : 4 * std::size_t(from.mWidth) * from.mHeight;
    if (from.pcData) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(from.pcData);
        to.bytes.assign(bytes, bytes + size);
    } else {
        to.width = to.height = 0;
    }
    return to;
}

std::array<float, 3> triple(const aiVector3D& v)
{
    return {v.x, v.y, v.z};
}

std::array<float, 3> triple(const aiColor3D& c)
{
    return {c.r, c.g, c.b};
}

SceneLight convertLight(const aiLight& from)
{
    SceneLight to;
    to.name = from.mName.C_Str();
    switch (from.mType) {
    case aiLightSource_DIRECTIONAL: to.kind = LightKind::Directional; break;
    case aiLightSource_POINT: to.kind = LightKind::Point; break;
    case aiLightSource_SPOT: to.kind = LightKind::Spot; break;
    case aiLightSource_AMBIENT: to.kind = LightKind::Ambient; break;
    case aiLightSource_AREA: to.kind = LightKind::Area; break;
    default: to.kind = LightKind::Undefined; break;
    }
    to.diffuse = triple(from.mColorDiffuse);
    to.specular = triple(from.mColorSpecular);
    to.ambient = triple(from.mColorAmbient);
    to.attenuationConstant = from.mAttenuationConstant;
    to.attenuationLinear = from.mAttenuationLinear;
    to.attenuationQuadratic = from.mAttenuationQuadratic;
    to.position = triple(from.mPosition);
    to.direction = triple(from.mDirection);
    to.innerCone = from.mAngleInnerCone;
    to.outerCone = from.mAngleOuterCone;
    return to;
}

SceneCamera convertCamera(const aiCamera& from)
{
    return {from.mName.C_Str(), triple(from.mPosition),  triple(from.mUp),         triple(from.mLookAt),
            from.mHorizontalFOV, from.mClipPlaneNear, from.mClipPlaneFar, from.mAspect};
}

template <typename Key, typename Value>
void convertKeys(const Key* keys, unsigned count, std::vector<double>& times, std::vector<float>& values, Value value)
{
    for (unsigned k = 0; keys && k < count; ++k) {
        times.push_back(keys[k].mTime);
        value(keys[k].mValue, values);
    }
}

SceneAnimation convertAnimation(const aiAnimation& from)
{
    SceneAnimation to;
    to.name = from.mName.C_Str();
    to.duration = from.mDuration;
    to.ticksPerSecond = from.mTicksPerSecond;
    const auto vector = [](const aiVector3D& v, std::vector<float>& out) { out.insert(out.end(), {v.x, v.y, v.z}); };
    for (unsigned c = 0; c < from.mNumChannels; ++c) {
        const aiNodeAnim& channel = *from.mChannels[c];
        NodeChannel out;
        out.node = channel.mNodeName.C_Str();
        convertKeys(channel.mPositionKeys, channel.mNumPositionKeys, out.positionTimes, out.positions, vector);
        convertKeys(channel.mRotationKeys, channel.mNumRotationKeys, out.rotationTimes, out.rotations,
                    [](const aiQuaternion& q, std::vector<float>& values) {
                        values.insert(values.end(), {q.x, q.y, q.z, q.w});
                    });
        convertKeys(channel.mScalingKeys, channel.mNumScalingKeys, out.scaleTimes, out.scales, vector);
        to.nodeChannels.push_back(std::move(out));
    }
    for (unsigned c = 0; c < from.mNumMorphMeshChannels; ++c) {
        const aiMeshMorphAnim& channel = *from.mMorphMeshChannels[c];
        MorphChannel out;
        out.mesh = channel.mName.C_Str();
        out.offsets.push_back(0);
        for (unsigned k = 0; channel.mKeys && k < channel.mNumKeys; ++k) {
            const aiMeshMorphKey& key = channel.mKeys[k];
            out.times.push_back(key.mTime);
            for (unsigned v = 0; key.mValues && key.mWeights && v < key.mNumValuesAndWeights; ++v) {
                out.targets.push_back(key.mValues[v]);
                out.weights.push_back(float(key.mWeights[v]));
            }
            out.offsets.push_back(std::uint32_t(out.targets.size()));
        }
        to.morphChannels.push_back(std::move(out));
    }
    return to;
}

void convertNumbers(const aiMetadata* metadata, std::vector<SceneNumber>& numbers)
{
    for (unsigned i = 0; metadata && i < metadata->mNumProperties; ++i) {
        const aiMetadataEntry& entry = metadata->mValues[i];
        if (!entry.mData)
            continue;
        double value = 0.0;
        switch (entry.mType) {
        case AI_BOOL: value = *static_cast<const bool*>(entry.mData) ? 1.0 : 0.0; break;
        case AI_INT32: value = *static_cast<const std::int32_t*>(entry.mData); break;
        case AI_UINT64: value = double(*static_cast<const std::uint64_t*>(entry.mData)); break;
        case AI_FLOAT: value = *static_cast<const float*>(entry.mData); break;
        case AI_DOUBLE: value = *static_cast<const double*>(entry.mData); break;
        default: continue;
        }
        numbers.push_back({metadata->mKeys[i].C_Str(), value});
    }
}

// Parents first, children in their order; without recursion, since a
// file's tree may be deeper than the stack.
void convertNodes(const aiScene& scene, std::vector<SceneNode>& nodes)
{
    std::vector<std::pair<const aiNode*, std::int32_t>> pending{{scene.mRootNode, -1}};
    while (!pending.empty()) {
        const auto [node, parent] = pending.back();
        pending.pop_back();
        SceneNode out;
        out.name = node->mName.C_Str();
        out.parent = parent;
        out.transform = columnMajor(node->mTransformation);
        for (unsigned k = 0; k < node->mNumMeshes; ++k)
            if (node->mMeshes[k] < scene.mNumMeshes)
                out.meshes.push_back(node->mMeshes[k]);
        const auto self = std::int32_t(nodes.size());
        nodes.push_back(std::move(out));
        for (unsigned c = node->mNumChildren; c-- > 0;)
            if (node->mChildren[c])
                pending.emplace_back(node->mChildren[c], self);
    }
}

}  // namespace

SceneData toSceneData(const aiScene& scene)
{
    SceneData data;
    for (unsigned m = 0; m < scene.mNumMaterials; ++m)
        data.materials.push_back(convertMaterial(scene, *scene.mMaterials[m]));
    if (data.materials.empty())
        data.materials.emplace_back();
    for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
        data.meshes.push_back(convertMesh(*scene.mMeshes[m]));
        joinMeshVertices(data.meshes.back());
        if (data.meshes.back().material >= data.materials.size()) {
            data.meshes.back() = SceneMesh{};
            data.meshes.back().name = scene.mMeshes[m]->mName.C_Str();
            data.meshes.back().problem = "its material does not exist";
        }
    }
    for (unsigned t = 0; t < scene.mNumTextures; ++t)
        data.images.push_back(convertImage(*scene.mTextures[t]));
    convertNodes(scene, data.nodes);
    for (unsigned l = 0; l < scene.mNumLights; ++l)
        data.lights.push_back(convertLight(*scene.mLights[l]));
    for (unsigned c = 0; c < scene.mNumCameras; ++c)
        data.cameras.push_back(convertCamera(*scene.mCameras[c]));
    for (unsigned a = 0; a < scene.mNumAnimations; ++a)
        data.animations.push_back(convertAnimation(*scene.mAnimations[a]));
    convertNumbers(scene.mMetaData, data.numbers);
    return data;
}

}  // namespace qm
