#include "GltfReader.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>
#include <utility>

#include "GltfDocument.h"
#include "GltfDraco.h"
#include "MaterialModels.h"
#include "MeshVertexJoin.h"

namespace qm {

namespace {

using simdjson::dom::element;
using simdjson::dom::object;

// The extensions this reader takes; a file that requires another is told
// what was left out.
constexpr std::string_view takenExtensions[] = {
    "KHR_mesh_quantization",  "EXT_meshopt_compression",         "KHR_texture_transform",
    "KHR_lights_punctual",    "KHR_materials_emissive_strength", "KHR_materials_pbrSpecularGlossiness",
    "EXT_texture_webp",       "KHR_draco_mesh_compression",      "KHR_materials_unlit",
    "KHR_materials_variants", "KHR_materials_clearcoat",         "KHR_materials_sheen",
    "KHR_materials_transmission", "KHR_materials_volume",        "KHR_materials_ior",
    "KHR_materials_specular",
};

// Keys laid between two of a cubic spline's, so that the viewer's straight
// joins follow the curve.
constexpr int splineSteps = 8;

constexpr double pi = 3.14159265358979323846;

std::string leftOutBy(std::string_view extension)
{
    if (extension == "KHR_texture_basisu" || extension == "EXT_texture_webp" || extension == "EXT_texture_avif")
        return "the pictures in its format are left out";
    return "what it describes is left out";
}

// A texture transform's offset as scene data keeps it: the same
// transform turning about the picture's middle, in texture coordinates
// whose v runs up.
std::array<float, 2> sceneOffset(float u, float v, float scaleU, float scaleV, float rotation)
{
    const float c = std::cos(rotation);
    const float s = std::sin(rotation);
    return {0.5f * scaleU * (1.0f - c + s) + u, 0.5f * scaleV * (1.0f - s - c) - 1.0f + scaleV + v};
}

Matrix4 nodeMatrix(object node)
{
    const std::vector<float> given = gltf::numbers(node, "matrix", {});
    if (given.size() == 16) {
        Matrix4 m{};
        std::copy(given.begin(), given.end(), m.begin());
        return m;
    }
    const std::vector<float> t = gltf::numbers(node, "translation", {0, 0, 0});
    const std::vector<float> r = gltf::numbers(node, "rotation", {0, 0, 0, 1});
    const std::vector<float> s = gltf::numbers(node, "scale", {1, 1, 1});
    const float x = r[0], y = r[1], z = r[2], w = r[3];
    // Translation times rotation times scale, column after column.
    return {(1 - 2 * (y * y + z * z)) * s[0], 2 * (x * y + z * w) * s[0], 2 * (x * z - y * w) * s[0], 0,
            2 * (x * y - z * w) * s[1], (1 - 2 * (x * x + z * z)) * s[1], 2 * (y * z + x * w) * s[1], 0,
            2 * (x * z + y * w) * s[2], 2 * (y * z - x * w) * s[2], (1 - 2 * (x * x + y * y)) * s[2], 0,
            t[0], t[1], t[2], 1};
}

// An animation sampler's keys as the viewer joins them, straight from key to
// key: linear keys as they are, steps held until just before the next key,
// cubic splines sampled through their tangents. `width` values a key.
void bakeKeys(const std::vector<float>& input, const std::vector<float>& output, std::size_t width,
              const std::string& interpolation, bool rotation, std::vector<double>& times, std::vector<float>& values)
{
    const std::size_t n = input.size();
    const bool cubic = interpolation == "CUBICSPLINE";
    if (output.size() < n * width * (cubic ? 3 : 1))
        throw GltfError("an animation sampler has fewer values than keys");
    const auto value = [&](std::size_t key, std::size_t part) { return &output[(key * (cubic ? 3 : 1) + part) * width]; };
    const auto push = [&](double time, const std::vector<float>& v) {
        times.push_back(time);
        values.insert(values.end(), v.begin(), v.end());
    };
    std::vector<float> v(width);
    for (std::size_t k = 0; k < n; ++k) {
        std::copy_n(value(k, cubic ? 1 : 0), width, v.begin());
        push(input[k], v);
        if (k + 1 == n)
            break;
        const double dt = double(input[k + 1]) - double(input[k]);
        if (interpolation == "STEP") {
            push(input[k + 1] - std::min(1e-4, dt * 0.5), v);
        } else if (cubic) {
            for (int step = 1; step < splineSteps; ++step) {
                const float s = float(step) / float(splineSteps);
                const float s2 = s * s, s3 = s2 * s;
                for (std::size_t c = 0; c < width; ++c)
                    v[c] = (2 * s3 - 3 * s2 + 1) * value(k, 1)[c] + (s3 - 2 * s2 + s) * float(dt) * value(k, 2)[c] +
                           (-2 * s3 + 3 * s2) * value(k + 1, 1)[c] + (s3 - s2) * float(dt) * value(k + 1, 0)[c];
                if (rotation) {
                    float length = 0.0f;
                    for (float c : v)
                        length += c * c;
                    length = std::sqrt(length);
                    for (float& c : v)
                        c = length > 0.0f ? c / length : c;
                }
                push(input[k] + dt * s, v);
            }
        }
    }
}

// The further material extensions' factors and pictures, where the
// material has them; `picture(info, slot)` takes a texture reference.
template <typename TakePicture>
void readLayers(object from, SceneMaterial& to, TakePicture picture)
{
    const auto number = [](object extension, std::string_view key, double fallback) {
        return float(gltf::number(extension, key, fallback));
    };
    const auto triple = [](object extension, std::string_view key, std::vector<float> fallback) {
        const std::vector<float> v = gltf::numbers(extension, key, std::move(fallback));
        return std::array<float, 3>{v[0], v[1], v[2]};
    };
    if (const auto coat = gltf::extension(from, "KHR_materials_clearcoat")) {
        to.clearcoat = number(*coat, "clearcoatFactor", 0.0);
        to.clearcoatRoughness = number(*coat, "clearcoatRoughnessFactor", 0.0);
        picture(gltf::member(*coat, "clearcoatTexture"), TextureSlot::Clearcoat);
        picture(gltf::member(*coat, "clearcoatRoughnessTexture"), TextureSlot::ClearcoatRoughness);
    }
    if (const auto sheen = gltf::extension(from, "KHR_materials_sheen")) {
        to.sheenColour = triple(*sheen, "sheenColorFactor", {0, 0, 0});
        to.sheenRoughness = number(*sheen, "sheenRoughnessFactor", 0.0);
        picture(gltf::member(*sheen, "sheenColorTexture"), TextureSlot::SheenColour);
        picture(gltf::member(*sheen, "sheenRoughnessTexture"), TextureSlot::SheenRoughness);
    }
    if (const auto transmission = gltf::extension(from, "KHR_materials_transmission")) {
        to.transmission = number(*transmission, "transmissionFactor", 0.0);
        picture(gltf::member(*transmission, "transmissionTexture"), TextureSlot::Transmission);
    }
    if (const auto volume = gltf::extension(from, "KHR_materials_volume")) {
        to.thickness = number(*volume, "thicknessFactor", 0.0);
        // Absent, the distance is infinite: nothing is absorbed.
        to.attenuationDistance = number(*volume, "attenuationDistance", 0.0);
        to.attenuationColour = triple(*volume, "attenuationColor", {1, 1, 1});
        picture(gltf::member(*volume, "thicknessTexture"), TextureSlot::Thickness);
    }
    if (const auto ior = gltf::extension(from, "KHR_materials_ior"))
        to.ior = number(*ior, "ior", 1.5);
    if (const auto specular = gltf::extension(from, "KHR_materials_specular")) {
        to.dielectricSpecular = number(*specular, "specularFactor", 1.0);
        to.dielectricSpecularColour = triple(*specular, "specularColorFactor", {1, 1, 1});
        picture(gltf::member(*specular, "specularTexture"), TextureSlot::SpecularStrength);
        picture(gltf::member(*specular, "specularColorTexture"), TextureSlot::SpecularColour);
    }
}

// A primitive's vertex attributes: from their accessors, or from the
// Draco data that replaces those where the primitive is compressed.
class Geometry {
public:
    Geometry(GltfDocument& doc, object primitive)
        : doc(doc), attributes(gltf::child(primitive, "attributes", "its attributes"))
    {
        if (const auto compressed = gltf::extension(primitive, "KHR_draco_mesh_compression")) {
            draco.emplace(doc.view(gltf::index(*compressed, "bufferView").value_or(~0ull)));
            dracoIds = gltf::child(*compressed, "attributes", "its Draco attributes");
        }
    }

    bool has(std::string_view name) const { return gltf::index(attributes, name) || dracoId(name); }

    std::size_t count(std::string_view name) const
    {
        return dracoId(name) ? draco->vertexCount() : doc.count(*gltf::index(attributes, name));
    }

    std::vector<float> floats(std::string_view name, int width)
    {
        if (const auto id = dracoId(name))
            return draco->floats(*id, width);
        return doc.floats(*gltf::index(attributes, name), width);
    }

    std::vector<std::uint32_t> integers(std::string_view name, int width)
    {
        if (const auto id = dracoId(name))
            return draco->integers(*id, width);
        return doc.integers(*gltf::index(attributes, name), width);
    }

    // The Draco data's triangles; none for a primitive that is not compressed.
    std::optional<std::vector<std::uint32_t>> dracoTriangles() const
    {
        return draco ? std::optional(draco->triangles()) : std::nullopt;
    }

private:
    std::optional<std::uint32_t> dracoId(std::string_view name) const
    {
        if (!dracoIds)
            return std::nullopt;
        const auto id = gltf::index(*dracoIds, name);
        return id ? std::optional(std::uint32_t(*id)) : std::nullopt;
    }

    GltfDocument& doc;
    object attributes;
    std::optional<DracoPrimitive> draco;
    std::optional<object> dracoIds;
};

class Conversion {
public:
    explicit Conversion(GltfDocument& document) : doc(document) {}

    SceneData run()
    {
        for (const element e : doc.items("extensionsRequired")) {
            std::string_view name;
            if (e.get(name) != simdjson::SUCCESS)
                throw GltfError("\"extensionsRequired\" holds what is not a name");
            if (std::find(std::begin(takenExtensions), std::end(takenExtensions), name) == std::end(takenExtensions))
                out.notes.push_back("The file requires " + std::string(name) +
                                    ", which the glTF reader does not take: " + leftOutBy(name) + ".");
        }
        // A file whose data cannot all be had is refused whole, not mesh by mesh.
        doc.loadBuffers();
        nameNodes();
        convertImages();
        const std::size_t materials = doc.items("materials").size();
        for (std::size_t m = 0; m < materials; ++m)
            out.materials.push_back(convertMaterial(doc.item("materials", m)));
        if (const auto variants = gltf::extension(doc.root, "KHR_materials_variants"))
            for (const element v : gltf::elements(*variants, "variants"))
                out.variants.push_back(gltf::text(gltf::object(v, "a material variant"), "name"));
        if (const auto lights = gltf::extension(doc.root, "KHR_lights_punctual"))
            punctualLights = gltf::elements(*lights, "lights");
        findMorphedNodes();
        convertNodes();
        if (out.materials.empty() || defaultMaterial)
            out.materials.emplace_back();
        for (SceneMesh& mesh : out.meshes)
            if (defaultMaterial && mesh.material == ~0u)
                mesh.material = std::uint32_t(out.materials.size() - 1);
        const std::size_t animations = doc.items("animations").size();
        for (std::size_t a = 0; a < animations; ++a)
            convertAnimation(doc.item("animations", a), a);
        out.sourceFiles = doc.opened;
        return std::move(out);
    }

private:
    void nameNodes()
    {
        const std::size_t count = doc.items("nodes").size();
        std::set<std::string> taken;
        for (std::size_t i = 0; i < count; ++i) {
            std::string name = gltf::text(doc.item("nodes", i), "name");
            if (name.empty())
                name = "node " + std::to_string(i);
            // Channels, bones, lights and cameras find their node by name.
            if (!taken.insert(name).second) {
                name += " (" + std::to_string(i) + ")";
                taken.insert(name);
            }
            nodeNames.push_back(std::move(name));
        }
    }

    void convertImages()
    {
        const std::size_t count = doc.items("images").size();
        for (std::size_t i = 0; i < count; ++i) {
            const object image = doc.item("images", i);
            const std::string uri = gltf::text(image, "uri");
            const std::string name = gltf::text(image, "name");
            if (!uri.empty() && !uri.starts_with("data:")) {
                imageFiles.push_back(uri);
                imageIndex.push_back(-1);
                continue;
            }
            SceneImage embedded;
            embedded.name = name.empty() ? "image " + std::to_string(i) : name;
            const std::string mime = gltf::text(image, "mimeType");
            embedded.formatHint = mime == "image/png"    ? "png"
                                  : mime == "image/jpeg" ? "jpg"
                                  : mime == "image/webp" ? "webp"
                                                         : "";
            if (const auto view = gltf::index(image, "bufferView")) {
                const std::span<const std::uint8_t> bytes = doc.view(*view);
                embedded.bytes.assign(bytes.begin(), bytes.end());
            } else {
                embedded.bytes = doc.uriBytes(uri);
            }
            embedded.width = std::uint32_t(embedded.bytes.size());
            imageFiles.push_back("*" + std::to_string(out.images.size()));
            imageIndex.push_back(std::int32_t(out.images.size()));
            out.images.push_back(std::move(embedded));
        }
    }

    // A material's texture reference (a textureInfo), into `slot`.
    void addTexture(SceneMaterial& material, std::optional<element> info, TextureSlot slot)
    {
        if (!info)
            return;
        const object reference = gltf::object(*info, "a texture reference");
        const object texture = doc.item("textures", gltf::index(reference, "index").value_or(~0ull));
        // A WebP picture where the file has one, which the viewer decodes too.
        const auto webp = gltf::extension(texture, "EXT_texture_webp");
        std::optional<std::uint64_t> source = webp ? gltf::index(*webp, "source") : std::nullopt;
        if (!source)
            source = gltf::index(texture, "source");
        if (!source)
            return;  // only in a format the viewer does not take (KHR_texture_basisu)
        if (*source >= imageFiles.size())
            throw GltfError("a texture names image " + std::to_string(*source) + ", which does not exist");
        SceneTexture out;
        out.slot = slot;
        out.path = imageFiles[*source];
        out.image = imageIndex[*source];
        out.texCoordSet = std::uint32_t(std::min<std::uint64_t>(gltf::index(reference, "texCoord").value_or(0), 1));
        if (const auto transform = gltf::extension(reference, "KHR_texture_transform")) {
            const std::vector<float> offset = gltf::numbers(*transform, "offset", {0, 0});
            const std::vector<float> scale = gltf::numbers(*transform, "scale", {1, 1});
            const float rotation = float(gltf::number(*transform, "rotation", 0.0));
            out.offset = sceneOffset(offset[0], offset[1], scale[0], scale[1], rotation);
            out.scale = {scale[0], scale[1]};
            out.rotation = rotation;
            if (const auto set = gltf::index(*transform, "texCoord"))
                out.texCoordSet = std::uint32_t(std::min<std::uint64_t>(*set, 1));
        }
        material.textures.push_back(std::move(out));
    }

    SceneMaterial convertMaterial(object from)
    {
        SceneMaterial to;
        to.name = gltf::text(from, "name");
        to.physicallyBased = true;
        to.hasBaseColour = true;
        if (const auto pbr = gltf::member(from, "pbrMetallicRoughness")) {
            const object metalRough = gltf::object(*pbr, "\"pbrMetallicRoughness\"");
            const std::vector<float> base = gltf::numbers(metalRough, "baseColorFactor", {1, 1, 1, 1});
            to.baseColour = {base[0], base[1], base[2], base[3]};
            to.metallic = float(gltf::number(metalRough, "metallicFactor", 1.0));
            to.roughness = float(gltf::number(metalRough, "roughnessFactor", 1.0));
            addTexture(to, gltf::member(metalRough, "baseColorTexture"), TextureSlot::BaseColour);
            addTexture(to, gltf::member(metalRough, "metallicRoughnessTexture"), TextureSlot::MetallicRoughness);
        }
        to.diffuse = to.baseColour;
        // Specular-glossiness where the file gives nothing else: a file with
        // both keeps it only for viewers that lack metal-rough.
        const auto glossy = gltf::extension(from, "KHR_materials_pbrSpecularGlossiness");
        if (glossy && !gltf::member(from, "pbrMetallicRoughness")) {
            const std::vector<float> diffuse = gltf::numbers(*glossy, "diffuseFactor", {1, 1, 1, 1});
            const std::vector<float> specular = gltf::numbers(*glossy, "specularFactor", {1, 1, 1});
            to.diffuse = {diffuse[0], diffuse[1], diffuse[2], diffuse[3]};
            to.specular = {specular[0], specular[1], specular[2]};
            convertSpecularGlossiness(to, float(gltf::number(*glossy, "glossinessFactor", 1.0)));
            addTexture(to, gltf::member(*glossy, "diffuseTexture"), TextureSlot::Diffuse);
        }
        const std::vector<float> emissive = gltf::numbers(from, "emissiveFactor", {0, 0, 0});
        to.emissive = {emissive[0], emissive[1], emissive[2]};
        to.unlit = gltf::extension(from, "KHR_materials_unlit").has_value();
        if (const auto strength = gltf::extension(from, "KHR_materials_emissive_strength"))
            to.emissiveStrength = float(gltf::number(*strength, "emissiveStrength", 1.0));
        readLayers(from, to, [&](std::optional<element> info, TextureSlot slot) { addTexture(to, info, slot); });
        const std::string mode = gltf::text(from, "alphaMode");
        to.alphaMode = mode == "MASK" ? AlphaMode::Mask : mode == "BLEND" ? AlphaMode::Blend : AlphaMode::Opaque;
        to.alphaCutoff = float(gltf::number(from, "alphaCutoff", 0.5));
        to.doubleSided = gltf::flag(from, "doubleSided");
        if (const auto normal = gltf::member(from, "normalTexture")) {
            to.normalScale = float(gltf::number(gltf::object(*normal, "\"normalTexture\""), "scale", 1.0));
            addTexture(to, normal, TextureSlot::Normal);
        }
        if (const auto occlusion = gltf::member(from, "occlusionTexture")) {
            to.occlusionStrength = float(gltf::number(gltf::object(*occlusion, "\"occlusionTexture\""), "strength", 1.0));
            addTexture(to, occlusion, TextureSlot::Occlusion);
        }
        addTexture(to, gltf::member(from, "emissiveTexture"), TextureSlot::Emissive);
        return to;
    }

    void findMorphedNodes()
    {
        for (const element a : doc.items("animations"))
            for (const element c : gltf::elements(gltf::object(a, "an animation"), "channels")) {
                const auto target = gltf::member(gltf::object(c, "an animation channel"), "target");
                if (!target)
                    continue;
                const object aim = gltf::object(*target, "an animation channel's target");
                if (const auto node = gltf::index(aim, "node"); node && gltf::text(aim, "path") == "weights")
                    morphedNodes.insert(*node);
            }
    }

    // The targets' shapes added at their weights into the mesh, which then
    // needs them no more.
    static void settleTargets(SceneMesh& mesh, const std::vector<float>& weights)
    {
        const std::vector<float> base = mesh.positions;
        const std::vector<float> baseNormals = mesh.normals;
        for (std::size_t t = 0; t < mesh.morphTargets.size() && t < weights.size(); ++t) {
            const MorphTarget& target = mesh.morphTargets[t];
            for (std::size_t i = 0; i < base.size(); ++i)
                mesh.positions[i] += weights[t] * (target.positions[i] - base[i]);
            for (std::size_t i = 0; i < baseNormals.size() && i < target.normals.size(); ++i)
                mesh.normals[i] += weights[t] * (target.normals[i] - baseNormals[i]);
        }
        for (std::size_t v = 0; v + 2 < mesh.normals.size(); v += 3) {
            const float length = std::sqrt(mesh.normals[v] * mesh.normals[v] + mesh.normals[v + 1] * mesh.normals[v + 1] +
                                           mesh.normals[v + 2] * mesh.normals[v + 2]);
            for (std::size_t c = 0; c < 3 && length > 0.0f; ++c)
                mesh.normals[v + c] /= length;
        }
        mesh.morphTargets.clear();
    }

    // The scene's root nodes: its default scene's, or every node without a parent.
    std::vector<std::uint64_t> roots(const std::vector<std::int64_t>& parents)
    {
        const std::vector<element>& scenes = doc.items("scenes");
        if (!scenes.empty()) {
            const std::uint64_t chosen = gltf::index(doc.root, "scene").value_or(0);
            std::vector<std::uint64_t> list;
            for (const element e : gltf::elements(doc.item("scenes", chosen), "nodes")) {
                std::uint64_t node = 0;
                if (e.get(node) != simdjson::SUCCESS || node >= nodeNames.size())
                    throw GltfError("a scene names a node that does not exist");
                list.push_back(node);
            }
            return list;
        }
        std::vector<std::uint64_t> list;
        for (std::size_t n = 0; n < parents.size(); ++n)
            if (parents[n] < 0)
                list.push_back(n);
        return list;
    }

    std::vector<std::uint64_t> children(object node)
    {
        std::vector<std::uint64_t> list;
        for (const element e : gltf::elements(node, "children")) {
            std::uint64_t child = 0;
            if (e.get(child) != simdjson::SUCCESS || child >= nodeNames.size())
                throw GltfError("a node's child does not exist");
            list.push_back(child);
        }
        return list;
    }

    // Parents first, children in their order; a node met twice (a file
    // whose tree is not one) is taken once.
    void convertNodes()
    {
        std::vector<std::int64_t> parents(nodeNames.size(), -1);
        for (std::size_t n = 0; n < nodeNames.size(); ++n)
            for (const std::uint64_t child : children(doc.item("nodes", n)))
                parents[child] = std::int64_t(n);
        SceneNode top;
        top.name = "(root)";
        top.parent = -1;
        out.nodes.push_back(top);
        std::vector<bool> placed(nodeNames.size(), false);
        std::vector<std::pair<std::uint64_t, std::int32_t>> pending;
        const std::vector<std::uint64_t> first = roots(parents);
        for (auto r = first.rbegin(); r != first.rend(); ++r)
            pending.emplace_back(*r, 0);
        while (!pending.empty()) {
            const auto [index, parent] = pending.back();
            pending.pop_back();
            if (placed[index])
                continue;
            placed[index] = true;
            const object node = doc.item("nodes", index);
            SceneNode to;
            to.name = nodeNames[index];
            to.parent = parent;
            to.transform = nodeMatrix(node);
            if (const auto mesh = gltf::index(node, "mesh")) {
                // The file's own weights (the node's, else the mesh's) where no clip sets them.
                std::vector<float> weights;
                if (!morphedNodes.count(index)) {
                    weights = gltf::numbers(node, "weights", {});
                    if (weights.empty())
                        weights = gltf::numbers(doc.item("meshes", *mesh), "weights", {});
                }
                to.meshes = meshesFor(*mesh, gltf::index(node, "skin"), weights);
            }
            const auto self = std::int32_t(out.nodes.size());
            nodeMeshes[index] = to.meshes;
            out.nodes.push_back(std::move(to));
            placeLightAndCamera(node, nodeNames[index]);
            const std::vector<std::uint64_t> kids = children(node);
            for (auto c = kids.rbegin(); c != kids.rend(); ++c)
                pending.emplace_back(*c, self);
        }
    }

    void placeLightAndCamera(object node, const std::string& name)
    {
        if (const auto punctual = gltf::extension(node, "KHR_lights_punctual")) {
            const std::vector<element>& list = punctualLights;
            const std::uint64_t index = gltf::index(*punctual, "light").value_or(~0ull);
            if (index >= list.size())
                throw GltfError("a node names light " + std::to_string(index) + ", which does not exist");
            const object from = gltf::object(list[index], "a light");
            SceneLight light;
            light.name = name;
            const std::string type = gltf::text(from, "type");
            light.kind = type == "directional" ? LightKind::Directional
                         : type == "spot"      ? LightKind::Spot
                         : type == "point"     ? LightKind::Point
                                               : LightKind::Undefined;
            const std::vector<float> colour = gltf::numbers(from, "color", {1, 1, 1});
            const float intensity = float(gltf::number(from, "intensity", 1.0));
            light.diffuse = light.specular = {colour[0] * intensity, colour[1] * intensity, colour[2] * intensity};
            // Falling off with the square of the distance, as glTF's lights do.
            light.attenuationConstant = 0.0f;
            light.attenuationQuadratic = light.kind == LightKind::Directional ? 0.0f : 1.0f;
            if (const auto spot = gltf::member(from, "spot")) {
                const object cone = gltf::object(*spot, "a spot light's cone");
                light.innerCone = 2.0f * float(gltf::number(cone, "innerConeAngle", 0.0));
                light.outerCone = 2.0f * float(gltf::number(cone, "outerConeAngle", pi / 4.0));
            }
            out.lights.push_back(light);
        }
        if (const auto index = gltf::index(node, "camera")) {
            const object from = doc.item("cameras", *index);
            SceneCamera camera;
            camera.name = name;
            camera.position = {0, 0, 0};
            camera.up = {0, 1, 0};
            camera.lookAt = {0, 0, -1};
            if (const auto perspective = gltf::member(from, "perspective")) {
                const object lens = gltf::object(*perspective, "a camera's perspective");
                const double vertical = gltf::number(lens, "yfov", pi / 4.0);
                camera.aspect = float(gltf::number(lens, "aspectRatio", 0.0));
                camera.horizontalFov = float(camera.aspect > 0.0f
                                                 ? std::atan(std::tan(vertical * 0.5) * double(camera.aspect))
                                                 : vertical * 0.5);
                camera.nearPlane = float(gltf::number(lens, "znear", 0.01));
                camera.farPlane = float(gltf::number(lens, "zfar", 0.0));
            }
            out.cameras.push_back(camera);
        }
    }

    // The scene meshes of a glTF mesh (one per primitive) as placed with
    // `skin`, their targets set at `weights` for good (a node no clip
    // morphs); made on first use.
    std::vector<std::uint32_t> meshesFor(std::uint64_t mesh, std::optional<std::uint64_t> skin,
                                         const std::vector<float>& weights)
    {
        const std::tuple key{mesh, skin ? std::int64_t(*skin) : -1, weights};
        if (const auto found = madeMeshes.find(key); found != madeMeshes.end())
            return found->second;
        const object from = doc.item("meshes", mesh);
        std::string name = gltf::text(from, "name");
        if (name.empty())
            name = "mesh " + std::to_string(mesh);
        const std::vector<element> primitives = gltf::elements(from, "primitives");
        std::vector<std::uint32_t> made;
        for (std::size_t p = 0; p < primitives.size(); ++p) {
            SceneMesh to;
            // Morph channels find their mesh by name.
            to.name = name + (primitives.size() > 1 ? " " + std::to_string(p) : "");
            if (!usedMeshNames.insert(to.name).second)
                to.name += " (" + std::to_string(out.meshes.size()) + ")";
            try {
                convertPrimitive(gltf::object(primitives[p], "a primitive"), from, skin, to);
                if (!weights.empty())
                    settleTargets(to, weights);
            } catch (const GltfError& error) {
                // A primitive that cannot be read is left out, the rest of the file kept.
                SceneMesh refused;
                refused.name = to.name;
                refused.problem = error.what();
                to = std::move(refused);
            }
            made.push_back(std::uint32_t(out.meshes.size()));
            out.meshes.push_back(std::move(to));
        }
        madeMeshes.emplace(key, made);
        return made;
    }

    void convertPrimitive(object primitive, object mesh, std::optional<std::uint64_t> skin, SceneMesh& to)
    {
        const auto material = gltf::index(primitive, "material");
        if (material && *material >= out.materials.size())
            throw GltfError("its material does not exist");
        to.material = material ? std::uint32_t(*material) : ~0u;
        defaultMaterial = defaultMaterial || !material;
        if (const auto variants = gltf::extension(primitive, "KHR_materials_variants"))
            for (const element e : gltf::elements(*variants, "mappings")) {
                const object mapping = gltf::object(e, "a material variant's mapping");
                const std::uint64_t chosen = gltf::index(mapping, "material").value_or(~0ull);
                for (const element v : gltf::elements(mapping, "variants")) {
                    std::uint64_t variant = 0;
                    if (v.get(variant) != simdjson::SUCCESS || variant >= out.variants.size() ||
                        chosen >= out.materials.size())
                        throw GltfError("its material variants name a variant or material that does not exist");
                    to.variantMaterials.insert(to.variantMaterials.end(),
                                               {std::uint32_t(variant), std::uint32_t(chosen)});
                }
            }
        Geometry geometry(doc, primitive);
        if (!geometry.has("POSITION"))
            throw GltfError("it has no positions");
        to.positions = geometry.floats("POSITION", 3);
        const std::size_t n = to.vertexCount();
        const auto take = [&](std::string_view name, int width, std::vector<float>& into) {
            if (geometry.has(name)) {
                if (geometry.count(name) != n)
                    throw GltfError(std::string(name) + " has another count than the positions");
                into = geometry.floats(name, width);
            }
        };
        take("NORMAL", 3, to.normals);
        take("TANGENT", 4, to.tangents);
        take("TEXCOORD_0", 2, to.texCoords[0]);
        take("TEXCOORD_1", 2, to.texCoords[1]);
        take("COLOR_0", 4, to.colours);
        convertPrimitives(primitive, geometry.dracoTriangles(), n, to);
        if (skin)
            convertSkin(geometry, *skin, n, to);
        convertTargets(primitive, mesh, to);
        // A primitive without indices gives every corner its own vertex: those
        // that agree are joined, as the simplifier needs. Indexed ones stay as
        // the file shares them.
        if (!gltf::index(primitive, "indices"))
            joinMeshVertices(to);
    }

    void convertPrimitives(object primitive, std::optional<std::vector<std::uint32_t>> decoded, std::size_t n,
                           SceneMesh& to)
    {
        std::vector<std::uint32_t> indices;
        if (decoded || gltf::index(primitive, "indices")) {
            indices = decoded ? std::move(*decoded) : doc.integers(*gltf::index(primitive, "indices"), 1);
            for (const std::uint32_t i : indices)
                if (i >= n)
                    throw GltfError("an index names vertex " + std::to_string(i) + " of " + std::to_string(n));
        } else {
            indices.resize(n);
            for (std::size_t i = 0; i < n; ++i)
                indices[i] = std::uint32_t(i);
        }
        const std::size_t count = indices.size();
        switch (gltf::index(primitive, "mode").value_or(4)) {
        case 0: to.points = std::move(indices); break;
        case 1: to.lines.assign(indices.begin(), indices.begin() + std::ptrdiff_t(count / 2 * 2)); break;
        case 2:
        case 3:
            for (std::size_t i = 1; i < count; ++i)
                to.lines.insert(to.lines.end(), {indices[i - 1], indices[i]});
            if (gltf::index(primitive, "mode") == 2u && count > 2)
                to.lines.insert(to.lines.end(), {indices[count - 1], indices[0]});
            break;
        case 4: to.triangles.assign(indices.begin(), indices.begin() + std::ptrdiff_t(count / 3 * 3)); break;
        case 5:
            // Every other triangle of a strip turns the other way round.
            for (std::size_t i = 2; i < count; ++i)
                to.triangles.insert(to.triangles.end(), i % 2 == 0
                                                            ? std::initializer_list<std::uint32_t>{indices[i - 2], indices[i - 1], indices[i]}
                                                            : std::initializer_list<std::uint32_t>{indices[i - 1], indices[i - 2], indices[i]});
            break;
        case 6:
            for (std::size_t i = 2; i < count; ++i)
                to.triangles.insert(to.triangles.end(), {indices[0], indices[i - 1], indices[i]});
            break;
        default: throw GltfError("its mode is not one of glTF's");
        }
    }

    // The skin's bones and, of every vertex, its four heaviest weights over
    // all its sets of joints and weights.
    void convertSkin(Geometry& geometry, std::uint64_t skinIndex, std::size_t n, SceneMesh& to)
    {
        const object skin = doc.item("skins", skinIndex);
        std::vector<float> inverse;
        if (const auto a = gltf::index(skin, "inverseBindMatrices"))
            inverse = doc.floats(*a, 16);
        std::size_t b = 0;
        for (const element e : gltf::elements(skin, "joints")) {
            std::uint64_t joint = 0;
            if (e.get(joint) != simdjson::SUCCESS || joint >= nodeNames.size())
                throw GltfError("its skin names a joint that does not exist");
            SceneBone bone{nodeNames[joint], identityMatrix};
            if ((b + 1) * 16 <= inverse.size())
                std::copy_n(inverse.begin() + std::ptrdiff_t(b * 16), 16, bone.offset.begin());
            to.bones.push_back(bone);
            ++b;
        }
        if (to.bones.empty())
            return;  // a skin of no joints moves nothing
        to.boneIndices.assign(4 * n, 0);
        to.boneWeights.assign(4 * n, 0.0f);
        for (int set = 0;; ++set) {
            const std::string joints = "JOINTS_" + std::to_string(set);
            const std::string weights = "WEIGHTS_" + std::to_string(set);
            if (!geometry.has(joints) || !geometry.has(weights))
                break;
            if (geometry.count(joints) != n || geometry.count(weights) != n)
                throw GltfError("its joints or weights have another count than the positions");
            const std::vector<std::uint32_t> bones = geometry.integers(joints, 4);
            const std::vector<float> amounts = geometry.floats(weights, 4);
            for (std::size_t v = 0; v < n; ++v) {
                float* kept = &to.boneWeights[4 * v];
                std::uint32_t* keptBones = &to.boneIndices[4 * v];
                for (int k = 0; k < 4; ++k) {
                    const float weight = amounts[4 * v + std::size_t(k)];
                    const std::uint32_t bone = bones[4 * v + std::size_t(k)];
                    const std::size_t lightest = std::size_t(std::min_element(kept, kept + 4) - kept);
                    if (bone < to.bones.size() && weight > kept[lightest]) {
                        kept[lightest] = weight;
                        keptBones[lightest] = bone;
                    }
                }
            }
        }
    }

    // Morph targets as whole shapes: the base plus each target's offsets.
    void convertTargets(object primitive, object mesh, SceneMesh& to)
    {
        const std::vector<element> targets = gltf::elements(primitive, "targets");
        std::vector<std::string> names;
        if (const auto extras = gltf::member(mesh, "extras"))
            if (extras->is_object())
                for (const element e : gltf::elements(gltf::object(*extras, "extras"), "targetNames")) {
                    std::string_view name;
                    names.emplace_back(e.get(name) == simdjson::SUCCESS ? name : "");
                }
        for (std::size_t t = 0; t < targets.size(); ++t) {
            const object target = gltf::object(targets[t], "a morph target");
            MorphTarget shape;
            shape.name = t < names.size() ? names[t] : "target " + std::to_string(t);
            shape.positions = to.positions;
            const auto add = [&](std::string_view name, const std::vector<float>& base, std::vector<float>& into) {
                if (const auto a = gltf::index(target, name)) {
                    if (doc.count(*a) != to.vertexCount())
                        throw GltfError("a morph target has another count than the positions");
                    into = doc.floats(*a, 3);
                    for (std::size_t i = 0; i < into.size(); ++i)
                        into[i] += base[i];
                }
            };
            add("POSITION", to.positions, shape.positions);
            if (!to.normals.empty())
                add("NORMAL", to.normals, shape.normals);
            to.morphTargets.push_back(std::move(shape));
        }
    }

    void convertAnimation(object from, std::size_t index)
    {
        SceneAnimation to;
        to.name = gltf::text(from, "name");
        if (to.name.empty())
            to.name = "animation " + std::to_string(index);
        to.ticksPerSecond = 1.0;  // keys in seconds, as the file has them
        const std::vector<element> samplers = gltf::elements(from, "samplers");
        std::map<std::uint64_t, NodeChannel> nodes;
        for (const element e : gltf::elements(from, "channels")) {
            const object channel = gltf::object(e, "an animation channel");
            const auto targetMember = gltf::member(channel, "target");
            if (!targetMember)
                continue;
            const object target = gltf::object(*targetMember, "an animation channel's target");
            const auto node = gltf::index(target, "node");
            const std::uint64_t s = gltf::index(channel, "sampler").value_or(~0ull);
            if (!node || *node >= nodeNames.size() || s >= samplers.size())
                continue;
            const object sampler = gltf::object(samplers[s], "an animation sampler");
            const std::vector<float> input = doc.floats(gltf::index(sampler, "input").value_or(~0ull), 1);
            const auto outputIndex = gltf::index(sampler, "output").value_or(~0ull);
            const std::string interpolation = gltf::text(sampler, "interpolation");
            const std::string path = gltf::text(target, "path");
            if (!input.empty())
                to.duration = std::max(to.duration, double(input.back()));
            NodeChannel& keys = nodes[*node];
            keys.node = nodeNames[*node];
            if (path == "translation")
                bakeKeys(input, doc.floats(outputIndex, 3), 3, interpolation, false, keys.positionTimes, keys.positions);
            else if (path == "rotation")
                bakeKeys(input, doc.floats(outputIndex, 4), 4, interpolation, true, keys.rotationTimes, keys.rotations);
            else if (path == "scale")
                bakeKeys(input, doc.floats(outputIndex, 3), 3, interpolation, false, keys.scaleTimes, keys.scales);
            else if (path == "weights")
                convertWeights(*node, input, doc.floats(outputIndex, 1), interpolation, to);
        }
        for (auto& [node, keys] : nodes)
            if (!keys.positionTimes.empty() || !keys.rotationTimes.empty() || !keys.scaleTimes.empty())
                to.nodeChannels.push_back(std::move(keys));
        out.animations.push_back(std::move(to));
    }

    // A weights channel moves the targets of every primitive of the node's mesh.
    void convertWeights(std::uint64_t node, const std::vector<float>& input, const std::vector<float>& output,
                        const std::string& interpolation, SceneAnimation& to)
    {
        const auto meshes = nodeMeshes.find(node);
        if (meshes == nodeMeshes.end() || meshes->second.empty() || input.empty())
            return;
        const std::size_t targets = out.meshes[meshes->second.front()].morphTargets.size();
        if (targets == 0)
            return;
        std::vector<double> times;
        std::vector<float> weights;
        bakeKeys(input, output, targets, interpolation, false, times, weights);
        for (const std::uint32_t m : meshes->second) {
            if (out.meshes[m].morphTargets.size() != targets)
                continue;
            MorphChannel channel;
            channel.mesh = out.meshes[m].name;
            channel.times = times;
            channel.offsets.push_back(0);
            for (std::size_t k = 0; k < times.size(); ++k) {
                for (std::size_t t = 0; t < targets; ++t) {
                    channel.targets.push_back(std::uint32_t(t));
                    channel.weights.push_back(weights[k * targets + t]);
                }
                channel.offsets.push_back(std::uint32_t(channel.targets.size()));
            }
            to.morphChannels.push_back(std::move(channel));
        }
    }

    GltfDocument& doc;
    SceneData out;
    std::vector<std::string> nodeNames;
    // Each glTF image as a texture names it, and its embedded image (-1: a file).
    std::vector<std::string> imageFiles;
    std::vector<std::int32_t> imageIndex;
    std::map<std::tuple<std::uint64_t, std::int64_t, std::vector<float>>, std::vector<std::uint32_t>> madeMeshes;
    // The file's KHR_lights_punctual lights, which nodes name by index.
    std::vector<element> punctualLights;
    // The nodes whose morph weights some clip moves.
    std::set<std::uint64_t> morphedNodes;
    std::set<std::string> usedMeshNames;
    std::map<std::uint64_t, std::vector<std::uint32_t>> nodeMeshes;
    // Some primitive has no material: the default one goes last.
    bool defaultMaterial = false;
};

}  // namespace

SceneData readGltf(std::span<const std::uint8_t> file, const std::filesystem::path& folder)
{
    GltfDocument document(file, folder);
    return Conversion(document).run();
}

SceneData readGltfFile(const std::filesystem::path& path)
{
    const std::optional<std::vector<std::uint8_t>> bytes = fileBytes(path);
    if (!bytes)
        throw GltfError("cannot open the file");
    return readGltf(*bytes, std::filesystem::absolute(path).parent_path());
}

}  // namespace qm
