#include "SceneDataFile.h"

#include <cstring>
#include <type_traits>

#include "ByteCodec.h"
#include "ContentHash.h"

namespace qm {

namespace {

constexpr char magic[8] = {'Q', 'M', 'S', 'C', 'E', 'N', 'E', '\0'};

template <typename T>
struct IsVector : std::false_type {};
template <typename T>
struct IsVector<std::vector<T>> : std::true_type {};
template <typename T>
struct IsArray : std::false_type {};
template <typename T, std::size_t N>
struct IsArray<std::array<T, N>> : std::true_type {};

// The order of every record's fields, once for writing and reading alike:
// `Io` is Writing or Reading, `R` the record, const when written.
template <typename Io, typename R>
void fields(Io& io, R& r);

// One field of any type SceneData uses.
template <typename Io, typename T>
void field(Io& io, T& v)
{
    using Plain = std::remove_const_t<T>;
    if constexpr (std::is_same_v<Plain, std::string>) {
        io.text(v);
    } else if constexpr (std::is_arithmetic_v<Plain> || std::is_enum_v<Plain>) {
        io.value(v);
    } else if constexpr (IsArray<Plain>::value) {
        if constexpr (std::is_arithmetic_v<typename Plain::value_type>)
            io.value(v);
        else
            for (auto& element : v)
                field(io, element);
    } else if constexpr (IsVector<Plain>::value) {
        if constexpr (std::is_arithmetic_v<typename Plain::value_type>)
            io.array(v);
        else
            io.records(v);
    } else {
        fields(io, v);
    }
}

template <typename Io, typename... T>
void each(Io& io, T&... v)
{
    (field(io, v), ...);
}

template <typename Io, typename R>
void fields(Io& io, R& r)
{
    using Plain = std::remove_const_t<R>;
    if constexpr (std::is_same_v<Plain, SceneBone>)
        each(io, r.node, r.offset);
    else if constexpr (std::is_same_v<Plain, MorphTarget>)
        each(io, r.name, r.positions, r.normals);
    else if constexpr (std::is_same_v<Plain, SceneMesh>)
        each(io, r.name, r.material, r.positions, r.normals, r.tangents, r.texCoords, r.colours, r.triangles, r.lines,
             r.points, r.bones, r.boneIndices, r.boneWeights, r.morphTargets, r.variantMaterials, r.problem);
    else if constexpr (std::is_same_v<Plain, SceneTexture>)
        each(io, r.slot, r.path, r.image, r.texCoordSet, r.offset, r.scale, r.rotation);
    else if constexpr (std::is_same_v<Plain, SceneMaterial>)
        each(io, r.name, r.diffuse, r.specular, r.shininess, r.opacity, r.baseColour, r.metallic, r.roughness,
             r.emissive, r.emissiveStrength, r.alphaMode, r.alphaCutoff, r.doubleSided, r.hasBaseColour,
             r.physicallyBased, r.occlusionStrength, r.normalScale, r.unlit, r.clearcoat, r.clearcoatRoughness,
             r.sheenColour, r.sheenRoughness, r.transmission, r.thickness, r.attenuationDistance, r.attenuationColour,
             r.ior, r.dielectricSpecular, r.dielectricSpecularColour, r.textures);
    else if constexpr (std::is_same_v<Plain, SceneImage>)
        each(io, r.name, r.formatHint, r.width, r.height, r.bytes);
    else if constexpr (std::is_same_v<Plain, SceneNode>)
        each(io, r.name, r.parent, r.transform, r.meshes);
    else if constexpr (std::is_same_v<Plain, SceneLight>)
        each(io, r.name, r.kind, r.diffuse, r.specular, r.ambient, r.attenuationConstant, r.attenuationLinear,
             r.attenuationQuadratic, r.position, r.direction, r.innerCone, r.outerCone);
    else if constexpr (std::is_same_v<Plain, SceneCamera>)
        each(io, r.name, r.position, r.up, r.lookAt, r.horizontalFov, r.nearPlane, r.farPlane, r.aspect);
    else if constexpr (std::is_same_v<Plain, NodeChannel>)
        each(io, r.node, r.positionTimes, r.positions, r.rotationTimes, r.rotations, r.scaleTimes, r.scales);
    else if constexpr (std::is_same_v<Plain, MorphChannel>)
        each(io, r.mesh, r.times, r.offsets, r.targets, r.weights);
    else if constexpr (std::is_same_v<Plain, SceneAnimation>)
        each(io, r.name, r.duration, r.ticksPerSecond, r.nodeChannels, r.morphChannels);
    else if constexpr (std::is_same_v<Plain, SceneNumber>)
        each(io, r.key, r.value);
    else if constexpr (std::is_same_v<Plain, SceneData>)
        each(io, r.meshes, r.materials, r.images, r.nodes, r.lights, r.cameras, r.animations, r.numbers,
             r.sourceFiles, r.notes, r.variants);
    else
        static_assert(sizeof(Plain) == 0, "a record without a field order");
}

struct Writing {
    ByteWriter out;
    template <typename T>
    void value(const T& v) { out.value(v); }
    template <typename T>
    void array(const std::vector<T>& v) { out.array(v); }
    void text(const std::string& s) { out.text(s); }
    template <typename R>
    void records(const std::vector<R>& list)
    {
        out.value(std::uint64_t(list.size()));
        for (const R& r : list)
            field(*this, r);
    }
};

// Only adds up the size Writing will need, so that it writes into one buffer.
struct Sizing {
    std::size_t size = 0;
    template <typename T>
    void value(const T&) { size += sizeof(T); }
    template <typename T>
    void array(const std::vector<T>& v) { size += 8 + v.size() * sizeof(T); }
    void text(const std::string& s) { size += 8 + s.size(); }
    template <typename R>
    void records(const std::vector<R>& list)
    {
        size += 8;
        for (const R& r : list)
            field(*this, r);
    }
};

struct Reading {
    ByteReader in;
    template <typename T>
    void value(T& v)
    {
        if constexpr (std::is_same_v<T, bool>) {
            // Any other byte is no boolean (and loading it as one is undefined).
            const auto byte = in.value<std::uint8_t>();
            if (byte > 1)
                in.fail();
            v = byte == 1;
        } else {
            v = in.value<T>();
        }
    }
    template <typename T>
    void array(std::vector<T>& v) { v = in.array<T>(); }
    void text(std::string& s) { s = in.text(); }
    template <typename R>
    void records(std::vector<R>& list)
    {
        // Every record takes at least a count's 8 bytes.
        list.resize(in.count(8));
        for (R& r : list) {
            field(*this, r);
            if (!in.ok())
                break;
        }
    }
};

std::string sizeProblem(const std::string& what, std::size_t size, std::size_t expected)
{
    return what + " holds " + std::to_string(size) + " numbers, not " + std::to_string(expected);
}

// An attribute array that is empty or holds `per` numbers per vertex.
bool attributeFits(std::size_t size, std::size_t vertices, std::size_t per)
{
    return size == 0 || size == vertices * per;
}

std::string indexProblem(const std::vector<std::uint32_t>& indices, std::size_t per, std::size_t limit,
                         const std::string& what)
{
    if (indices.size() % per != 0)
        return what + " do not come in groups of " + std::to_string(per);
    for (std::uint32_t i : indices)
        if (i >= limit)
            return what + " use " + std::to_string(i) + " of " + std::to_string(limit);
    return {};
}

std::string meshProblem(const SceneData& scene, const SceneMesh& mesh)
{
    if (mesh.positions.size() % 3 != 0)
        return "positions do not come in threes";
    const std::size_t n = mesh.vertexCount();
    if (mesh.material >= scene.materials.size())
        return "material " + std::to_string(mesh.material) + " of " + std::to_string(scene.materials.size());
    if (!attributeFits(mesh.normals.size(), n, 3))
        return sizeProblem("normals", mesh.normals.size(), 3 * n);
    if (!attributeFits(mesh.tangents.size(), n, 4))
        return sizeProblem("tangents", mesh.tangents.size(), 4 * n);
    for (const auto& set : mesh.texCoords)
        if (!attributeFits(set.size(), n, 2))
            return sizeProblem("texture coordinates", set.size(), 2 * n);
    if (!attributeFits(mesh.colours.size(), n, 4))
        return sizeProblem("colours", mesh.colours.size(), 4 * n);
    for (std::string problem : {indexProblem(mesh.triangles, 3, n, "triangles"), indexProblem(mesh.lines, 2, n, "lines"),
                                indexProblem(mesh.points, 1, n, "points")})
        if (!problem.empty())
            return problem;
    if (!attributeFits(mesh.boneIndices.size(), n, 4) || mesh.boneWeights.size() != mesh.boneIndices.size())
        return sizeProblem("bone weights", mesh.boneWeights.size(), mesh.boneIndices.size());
    if (std::string problem = indexProblem(mesh.boneIndices, 4, mesh.bones.size(), "bone weights");
        !problem.empty())
        return problem;
    for (const MorphTarget& target : mesh.morphTargets)
        if (target.positions.size() != 3 * n || !attributeFits(target.normals.size(), n, 3))
            return "morph target \"" + target.name + "\" does not match the vertices";
    if (mesh.variantMaterials.size() % 2 != 0)
        return "variant materials do not come in pairs";
    for (std::size_t i = 0; i < mesh.variantMaterials.size(); i += 2)
        if (mesh.variantMaterials[i] >= scene.variants.size() || mesh.variantMaterials[i + 1] >= scene.materials.size())
            return "variant materials name a variant or material that does not exist";
    return {};
}

std::string keysProblem(const std::vector<double>& times, const std::vector<float>& values, std::size_t per)
{
    return values.size() == times.size() * per ? "" : sizeProblem("keys", values.size(), times.size() * per);
}

std::string animationProblem(const SceneAnimation& animation)
{
    for (const NodeChannel& c : animation.nodeChannels) {
        for (std::string problem : {keysProblem(c.positionTimes, c.positions, 3),
                                    keysProblem(c.rotationTimes, c.rotations, 4), keysProblem(c.scaleTimes, c.scales, 3)})
            if (!problem.empty())
                return "channel \"" + c.node + "\": " + problem;
    }
    for (const MorphChannel& c : animation.morphChannels) {
        bool fits = c.offsets.size() == c.times.size() + 1 && c.offsets.front() == 0 &&
                    c.offsets.back() == c.targets.size() && c.weights.size() == c.targets.size();
        for (std::size_t k = 1; fits && k < c.offsets.size(); ++k)
            fits = c.offsets[k - 1] <= c.offsets[k];
        if (!fits)
            return "morph channel \"" + c.mesh + "\" has keys that do not match its weights";
    }
    return {};
}

}  // namespace

std::string sceneDataProblem(const SceneData& scene)
{
    for (std::size_t m = 0; m < scene.meshes.size(); ++m)
        if (std::string problem = meshProblem(scene, scene.meshes[m]); !problem.empty())
            return "mesh " + std::to_string(m) + ": " + problem;
    for (std::size_t m = 0; m < scene.materials.size(); ++m)
        for (const SceneTexture& t : scene.materials[m].textures)
            if (t.slot >= TextureSlot::Count || t.image < -1 || t.image >= std::int64_t(scene.images.size()))
                return "material " + std::to_string(m) + " names a texture slot or image that does not exist";
    for (std::size_t m = 0; m < scene.materials.size(); ++m)
        if (scene.materials[m].alphaMode > AlphaMode::Blend)
            return "material " + std::to_string(m) + " has an unknown alpha mode";
    for (const SceneImage& image : scene.images)
        if (image.height != 0 && image.bytes.size() != std::uint64_t(image.width) * image.height * 4)
            return "image \"" + image.name + "\": " + sizeProblem("texels", image.bytes.size(),
                                                                  std::size_t(image.width) * image.height * 4);
    if (scene.nodes.empty())
        return "no root node";
    for (std::size_t i = 0; i < scene.nodes.size(); ++i) {
        const SceneNode& node = scene.nodes[i];
        if (i == 0 ? node.parent != -1 : node.parent < 0 || std::size_t(node.parent) >= i)
            return "node " + std::to_string(i) + " has parent " + std::to_string(node.parent);
        for (std::uint32_t m : node.meshes)
            if (m >= scene.meshes.size())
                return "node " + std::to_string(i) + " uses mesh " + std::to_string(m) + " of " +
                       std::to_string(scene.meshes.size());
    }
    for (const SceneLight& light : scene.lights)
        if (light.kind > LightKind::Area)
            return "light \"" + light.name + "\" is of an unknown kind";
    for (const SceneAnimation& animation : scene.animations)
        if (std::string problem = animationProblem(animation); !problem.empty())
            return "animation \"" + animation.name + "\": " + problem;
    return {};
}

std::string encodeSceneData(const SceneData& scene)
{
    Sizing sizing;
    field(sizing, scene);
    Writing writing;
    writing.out.bytes.reserve(sceneDataHeaderSize + sizing.size);
    writing.out.bytes.assign(sceneDataHeaderSize, '\0');
    field(writing, scene);
    std::string& bytes = writing.out.bytes;
    const std::uint64_t size = bytes.size() - sceneDataHeaderSize;
    const std::uint64_t sum = checksum(asBytes(bytes).subspan(sceneDataHeaderSize));
    std::memcpy(bytes.data(), magic, 8);
    std::memcpy(bytes.data() + 8, &sceneDataVersion, 4);
    std::memcpy(bytes.data() + 16, &size, 8);
    std::memcpy(bytes.data() + 24, &sum, 8);
    return std::move(bytes);
}

std::uint64_t announcedSceneDataSize(std::span<const std::uint8_t> bytes)
{
    std::uint64_t payload = 0;
    if (bytes.size() < sceneDataHeaderSize || std::memcmp(bytes.data(), magic, 8) != 0)
        return 0;
    std::memcpy(&payload, bytes.data() + 16, 8);
    return payload > UINT64_MAX - sceneDataHeaderSize ? 0 : sceneDataHeaderSize + payload;
}

std::optional<SceneData> decodeSceneData(std::span<const std::uint8_t> bytes, std::string& problem)
{
    if (bytes.size() < sceneDataHeaderSize || std::memcmp(bytes.data(), magic, 8) != 0) {
        problem = "not scene data";
        return std::nullopt;
    }
    ByteReader header(bytes.first(sceneDataHeaderSize));
    header.value<std::uint64_t>();  // the magic
    const auto version = header.value<std::uint32_t>();
    header.value<std::uint32_t>();
    const auto size = header.value<std::uint64_t>();
    const auto sum = header.value<std::uint64_t>();
    if (version != sceneDataVersion) {
        problem = "scene data of version " + std::to_string(version) + ", not " + std::to_string(sceneDataVersion);
        return std::nullopt;
    }
    const std::span<const std::uint8_t> payload = bytes.subspan(sceneDataHeaderSize);
    if (size != payload.size()) {
        problem = "scene data of " + std::to_string(payload.size()) + " bytes where its header says " +
                  std::to_string(size);
        return std::nullopt;
    }
    if (checksum(payload) != sum) {
        problem = "scene data whose checksum does not match";
        return std::nullopt;
    }
    Reading reading{ByteReader(payload)};
    SceneData scene;
    field(reading, scene);
    if (!reading.in.ok() || !reading.in.atEnd()) {
        problem = reading.in.ok() ? "scene data with bytes after its end" : "scene data cut short";
        return std::nullopt;
    }
    problem = sceneDataProblem(scene);
    if (!problem.empty())
        return std::nullopt;
    return scene;
}

}  // namespace qm
