#include <gtest/gtest.h>
#include <meshoptimizer.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "GltfDocument.h"
#include "GltfReader.h"
#include "MeshVertexJoin.h"
#include "ModelReader.h"
#include "SceneConversion.h"
#include "SceneDataFile.h"

namespace {

namespace fs = std::filesystem;

std::string base64(const std::vector<std::uint8_t>& bytes)
{
    static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::uint32_t n = std::uint32_t(bytes[i]) << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) |
                                (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        for (int k = 0; k < 4; ++k)
            out += i * 4 / 3 + std::size_t(k) <= (bytes.size() * 4 + 2) / 3 ? digits[(n >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

template <typename T>
void append(std::vector<std::uint8_t>& buffer, std::initializer_list<T> values)
{
    for (const T v : values) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(&v);
        buffer.insert(buffer.end(), bytes, bytes + sizeof(T));
    }
}

// A glTF document: `body` (the members after "asset") over one buffer
// holding `buffer`, as a data URI.
qm::SceneData readDocument(const std::string& body, const std::vector<std::uint8_t>& buffer = {},
                           const fs::path& folder = {})
{
    const std::string json = R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":)" + std::to_string(buffer.size()) +
                             R"(,"uri":"data:application/octet-stream;base64,)" + base64(buffer) + "\"}]," + body + "}";
    return qm::readGltf({reinterpret_cast<const std::uint8_t*>(json.data()), json.size()}, folder);
}

// What a read leaves, or why it could not: "" or the reason (also where
// what it gives breaks the scene data's rules).
std::string refusal(const std::string& body, const std::vector<std::uint8_t>& buffer = {}, const fs::path& folder = {})
{
    try {
        const qm::SceneData data = readDocument(body, buffer, folder);
        if (const std::string problem = qm::sceneDataProblem(data); !problem.empty())
            return "against the scene data's rules: " + problem;
        for (const qm::SceneMesh& mesh : data.meshes)
            if (!mesh.problem.empty())
                return "mesh: " + mesh.problem;
        return "";
    } catch (const qm::GltfError& error) {
        return error.what();
    }
}

// The project's reader gives what the model reader's conversion gives for
// every glTF file of the test data (and the box where it refuses the
// compressed copies): the same vertices (in the same order once joined),
// primitives, skins, morph targets, the materials' values and pictures
// (the model reader adds a default material and files base colour pictures
// twice), the meshes placed as often, and clips of the same length.
TEST(GltfReader, GivesWhatTheModelReaderGivesForTheTestFiles)
{
    for (const auto& entry : fs::recursive_directory_iterator(QM_TESTDATA_DIRECTORY)) {
        const fs::path path = entry.path();
        if (path.extension() != ".gltf" && path.extension() != ".glb")
            continue;
        SCOPED_TRACE(path.string());
        Assimp::Importer reader;
        std::string error;
        const aiScene* scene = qm::readModelFile(reader, path.string(), error);
        const qm::SceneData ours = qm::readGltfFile(path);
        EXPECT_EQ(qm::sceneDataProblem(ours), "");
        // The compressed copies of the box, which the model reader refuses, give the box.
        if (!scene) {
            ASSERT_EQ(ours.meshes.size(), 2u) << error;
            EXPECT_EQ(ours.meshes[0].triangles.size() + ours.meshes[1].triangles.size(), 3u * 16u);
            continue;
        }
        const qm::SceneData theirs = qm::toSceneData(*scene);
        ASSERT_EQ(ours.meshes.size(), theirs.meshes.size());
        for (std::size_t m = 0; m < ours.meshes.size(); ++m) {
            // The model reader's conversion joins every mesh's vertices; ours only where the file does not share them.
            qm::SceneMesh a = ours.meshes[m];
            qm::joinMeshVertices(a);
            const qm::SceneMesh& b = theirs.meshes[m];
            EXPECT_EQ(a.positions, b.positions);
            EXPECT_EQ(a.normals, b.normals);
            EXPECT_EQ(a.texCoords, b.texCoords);
            EXPECT_EQ(a.colours, b.colours);
            EXPECT_EQ(a.triangles, b.triangles);
            EXPECT_EQ(a.lines, b.lines);
            EXPECT_EQ(a.points, b.points);
            EXPECT_EQ(a.boneIndices, b.boneIndices);
            EXPECT_EQ(a.boneWeights, b.boneWeights);
            ASSERT_EQ(a.morphTargets.size(), b.morphTargets.size());
            for (std::size_t t = 0; t < a.morphTargets.size(); ++t)
                EXPECT_EQ(a.morphTargets[t].positions, b.morphTargets[t].positions);
            const qm::SceneMaterial& x = ours.materials.at(a.material);
            const qm::SceneMaterial& y = theirs.materials.at(b.material);
            EXPECT_EQ(x.baseColour, y.baseColour);
            EXPECT_EQ(x.emissive, y.emissive);
            EXPECT_EQ(x.metallic, y.metallic);
            EXPECT_EQ(x.roughness, y.roughness);
            EXPECT_EQ(x.alphaMode, y.alphaMode);
            EXPECT_EQ(x.doubleSided, y.doubleSided);
            // The model reader does not take the set a texture transform names.
            const bool setByTransform = path.filename() == "texcoord-sets.gltf" && m == 2;
            for (const qm::SceneTexture& picture : x.textures) {
                // The model reader gives none of the further layers' pictures.
                if (picture.slot >= qm::TextureSlot::Clearcoat)
                    continue;
                const auto same = std::find_if(y.textures.begin(), y.textures.end(), [&](const qm::SceneTexture& t) {
                    return t.slot == picture.slot && (t.texCoordSet == picture.texCoordSet || setByTransform) &&
                           (t.image >= 0) == (picture.image >= 0) && (t.image >= 0 || t.path == picture.path);
                });
                EXPECT_NE(same, y.textures.end()) << "no such picture in slot " << int(picture.slot);
            }
        }
        const auto placed = [](const qm::SceneData& data) {
            std::size_t meshes = 0;
            for (const qm::SceneNode& node : data.nodes)
                meshes += node.meshes.size();
            return meshes;
        };
        EXPECT_EQ(placed(ours), placed(theirs));
        ASSERT_EQ(ours.animations.size(), theirs.animations.size());
        for (std::size_t a = 0; a < ours.animations.size(); ++a)
            EXPECT_DOUBLE_EQ(ours.animations[a].duration / ours.animations[a].ticksPerSecond,
                             theirs.animations[a].duration / theirs.animations[a].ticksPerSecond);
    }
}

// One node moved along x by a sampler of two keys, 0 at 0 s and 2 at 1 s,
// each way of interpolating; the cubic spline's tangents are 0 at both ends.
TEST(GltfReader, InterpolatesAsTheFileSays)
{
    std::vector<std::uint8_t> buffer;
    append<float>(buffer, {0, 1});                         // times, at 0
    append<float>(buffer, {0, 0, 0, 2, 0, 0});             // two keys, at 8
    append<float>(buffer, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0});  // tangent, key, tangent; at 32
    for (const char* mode : {"LINEAR", "STEP", "CUBICSPLINE"}) {
        SCOPED_TRACE(mode);
        const bool cubic = std::string(mode) == "CUBICSPLINE";
        const qm::SceneData data = readDocument(
            R"("nodes":[{"name":"mover"}],"scenes":[{"nodes":[0]}],
               "bufferViews":[{"buffer":0,"byteLength":8},{"buffer":0,"byteOffset":8,"byteLength":24},
                              {"buffer":0,"byteOffset":32,"byteLength":72}],
               "accessors":[{"bufferView":0,"componentType":5126,"count":2,"type":"SCALAR"},
                            {"bufferView":1,"componentType":5126,"count":2,"type":"VEC3"},
                            {"bufferView":2,"componentType":5126,"count":6,"type":"VEC3"}],
               "animations":[{"samplers":[{"input":0,"output":)" +
                std::string(cubic ? "2" : "1") + R"(,"interpolation":")" + mode + R"("}],
                              "channels":[{"sampler":0,"target":{"node":0,"path":"translation"}}]}])",
            buffer);
        ASSERT_EQ(data.animations.size(), 1u);
        const qm::NodeChannel& channel = data.animations[0].nodeChannels.at(0);
        EXPECT_EQ(channel.node, "mover");
        // The x at a time, joining the keys straight, as the viewer does.
        const auto x = [&](double t) {
            const auto& times = channel.positionTimes;
            const std::size_t k = std::size_t(std::upper_bound(times.begin(), times.end(), t) - times.begin());
            if (k == 0 || k == times.size())
                return channel.positions[3 * (k == 0 ? 0 : times.size() - 1)];
            const double share = (t - times[k - 1]) / (times[k] - times[k - 1]);
            return float(channel.positions[3 * (k - 1)] * (1 - share) + channel.positions[3 * k] * share);
        };
        const float expected = std::string(mode) == "LINEAR" ? 1.0f : std::string(mode) == "STEP" ? 0.0f : 1.0f;
        EXPECT_NEAR(x(0.5), expected, 1e-3f);
        // A quarter of the way: straight, held, or the cubic's smooth start (3 s^2 - 2 s^3 of 2).
        EXPECT_NEAR(x(0.25), cubic ? 2.0f * (3 * 0.0625f - 2 * 0.015625f) : std::string(mode) == "STEP" ? 0.0f : 0.5f,
                    1e-3f);
        EXPECT_NEAR(x(1.0), 2.0f, 1e-3f);
    }
}

// The file's own morph weights shape a mesh no clip morphs; one a clip
// morphs keeps its targets for the clip to weigh.
TEST(GltfReader, SettlesDefaultMorphWeights)
{
    std::vector<std::uint8_t> buffer;
    append<float>(buffer, {0, 0, 0, 1, 0, 0, 0, 1, 0});  // the triangle
    append<float>(buffer, {0, 2, 0, 0, 2, 0, 0, 2, 0});  // the target: up by 2
    append<float>(buffer, {0, 1});                       // times, and weights
    const std::string mesh = R"("bufferViews":[{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":36},
                                             {"buffer":0,"byteOffset":72,"byteLength":8}],
        "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"},
                     {"bufferView":1,"componentType":5126,"count":3,"type":"VEC3"},
                     {"bufferView":2,"componentType":5126,"count":2,"type":"SCALAR"}],
        "meshes":[{"weights":[0.25],"primitives":[{"attributes":{"POSITION":0},"targets":[{"POSITION":1}]}]}],
        "scenes":[{"nodes":[0]}],)";
    const qm::SceneData still = readDocument(mesh + R"("nodes":[{"mesh":0}])", buffer);
    EXPECT_EQ(still.meshes.at(0).positions, (std::vector<float>{0, 0.5f, 0, 1, 0.5f, 0, 0, 1.5f, 0}));
    EXPECT_TRUE(still.meshes[0].morphTargets.empty());
    const qm::SceneData moving = readDocument(
        mesh + R"("nodes":[{"mesh":0,"weights":[1]}],
                  "animations":[{"samplers":[{"input":2,"output":2}],
                                 "channels":[{"sampler":0,"target":{"node":0,"path":"weights"}}]}])",
        buffer);
    EXPECT_EQ(moving.meshes.at(0).positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
    EXPECT_EQ(moving.meshes[0].morphTargets.size(), 1u);
    ASSERT_EQ(moving.animations.at(0).morphChannels.size(), 1u);
    EXPECT_EQ(moving.animations[0].morphChannels[0].weights, (std::vector<float>{0, 1}));
}

// Normalised short positions and octahedral byte normals, compressed with
// EXT_meshopt_compression, decode to the values encoded; a required
// extension the reader lacks is said with what was left out.
TEST(GltfReader, DecodesCompressedAndQuantisedAttributes)
{
    const std::int16_t positions[4][4] = {{0, 0, 0, 0}, {32767, 0, 0, 0}, {0, 32767, 0, 0}, {-32767, -32767, 0, 0}};
    std::vector<std::uint8_t> encoded(meshopt_encodeVertexBufferBound(4, 8));
    encoded.resize(meshopt_encodeVertexBuffer(encoded.data(), encoded.size(), positions, 4, 8));
    std::vector<std::uint8_t> buffer = encoded;
    buffer.resize((buffer.size() + 3) / 4 * 4);
    const std::string compressedLength = std::to_string(encoded.size());
    const qm::SceneData data = readDocument(
        R"("extensionsUsed":["EXT_meshopt_compression","KHR_mesh_quantization","KHR_texture_basisu"],
           "extensionsRequired":["EXT_meshopt_compression","KHR_mesh_quantization","KHR_texture_basisu"],
           "nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}],
           "bufferViews":[{"buffer":0,"byteLength":32,"byteStride":8,"extensions":{"EXT_meshopt_compression":
               {"buffer":0,"byteLength":)" + compressedLength + R"(,"byteStride":8,"count":4,"mode":"ATTRIBUTES"}}}],
           "accessors":[{"bufferView":0,"componentType":5122,"normalized":true,"count":4,"type":"VEC3"}],
           "meshes":[{"primitives":[{"attributes":{"POSITION":0},"mode":0}]}])",
        buffer);
    ASSERT_EQ(data.meshes.size(), 1u);
    ASSERT_EQ(data.meshes[0].problem, "");
    EXPECT_EQ(data.meshes[0].positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0, -1, -1, 0}));
    EXPECT_EQ(data.notes, std::vector<std::string>{"The file requires KHR_texture_basisu, which the glTF reader "
                                                   "does not take: the pictures in its format are left out."});
}

// Damaged files end with the reason, one mesh's damage leaves that mesh
// out; nothing is read from outside the model's folder.
TEST(GltfReader, RefusesDamageWithTheReason)
{
    std::vector<std::uint8_t> buffer;
    append<float>(buffer, {0, 0, 0, 1, 0, 0, 0, 1, 0});
    append<std::uint16_t>(buffer, {0, 1, 7, 0});
    const std::string views = R"("bufferViews":[{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":6}],)";
    const std::string mesh = R"("nodes":[{"mesh":0}],"meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1}]}],)";
    const fs::path folder = fs::temp_directory_path() / "qm-gltf-folder";
    fs::create_directories(folder);
    const struct {
        std::string body;
        const char* reason;
    } cases[] = {
        {views + mesh + R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"},
                                         {"bufferView":1,"componentType":5123,"count":3,"type":"SCALAR"}])",
         "mesh: an index names vertex 7 of 3"},
        {views + mesh + R"("accessors":[{"bufferView":0,"componentType":5126,"count":4,"type":"VEC3"},
                                         {"bufferView":1,"componentType":5123,"count":2,"type":"SCALAR"}])",
         "mesh: accessor 0 reaches past the end of its buffer view"},
        {views + mesh + R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC7"},
                                         {"bufferView":1,"componentType":5123,"count":2,"type":"SCALAR"}])",
         "mesh: accessor 0 has an unknown type"},
        {R"("bufferViews":[{"buffer":0,"byteOffset":40,"byteLength":6}],)" + mesh +
             R"("accessors":[{"bufferView":0,"componentType":5126,"count":1,"type":"VEC3"}])",
         "mesh: buffer view 0 reaches past the end of its buffer"},
        {R"("images":[{"uri":"../secret.png"}],"textures":[{"source":0}],"materials":[{"emissiveTexture":{"index":1}}])",
         "there is no texture 1"},
        {R"("buffers":[{"byteLength":4,"uri":"../outside.bin"}])", "\"../outside.bin\" lies outside the model's folder"},
        {R"("buffers":[{"byteLength":4,"uri":"data:application/octet-stream;base64,#!"}])",
         "a data URI holds what is not base64"},
        {R"("buffers":[{"byteLength":40,"uri":"data:application/octet-stream;base64,AAAA"}])",
         "buffer 0 holds 3 bytes, not 40"},
        {R"("nodes":[{"children":[5]}])", "a node's child does not exist"},
        // A skin of no joints moves nothing (fuzzing found its empty bone list named).
        {views + R"("nodes":[{"mesh":0,"skin":0}],"skins":[{"joints":[]}],
                    "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],
                    "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"}])",
         ""},
        // Two corners without indices make no triangle, and the mesh keeps no vertex (fuzzing found a crash).
        {views + R"("nodes":[{"mesh":0}],"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],
                    "accessors":[{"bufferView":0,"componentType":5126,"count":2,"type":"VEC3"}])",
         ""},
        {R"("scenes":[{"nodes":[]}],"scene":"first")", "\"scene\" is not an index"},
    };
    for (const auto& c : cases) {
        std::string reason;
        if (c.body.starts_with(R"("buffers")")) {
            // Its own buffers, in place of the shared one.
            const std::string json = R"({"asset":{"version":"2.0"},)" + c.body + "}";
            try {
                qm::readGltf({reinterpret_cast<const std::uint8_t*>(json.data()), json.size()}, folder);
            } catch (const qm::GltfError& error) {
                reason = error.what();
            }
        } else {
            reason = refusal(c.body, buffer, folder);
        }
        EXPECT_EQ(reason, c.reason) << c.body;
    }
    // glTF 1.0 files, some giving their version as a number, are the model reader's.
    for (const std::string old : {R"({"asset":{"version":"1.0"}})", R"({"asset":{"version":1.0}})"})
        EXPECT_THROW(qm::readGltf({reinterpret_cast<const std::uint8_t*>(old.data()), old.size()}, folder),
                     qm::GltfForModelReader);
    fs::remove_all(folder);
}

// A node's punctual light and camera are named after the node, with
// glTF's defaults where the file gives none; an unlit material is marked,
// and the further material layers are taken with their defaults.
TEST(GltfReader, TakesPunctualLightsCamerasAndMaterialExtensions)
{
    const qm::SceneData data = readDocument(
        R"("materials":[{"extensions":{"KHR_materials_unlit":{}}},{},
                       {"extensions":{"KHR_materials_clearcoat":{"clearcoatFactor":0.5,"clearcoatTexture":{"index":0}},
                                      "KHR_materials_sheen":{"sheenColorFactor":[1,0.5,0],"sheenRoughnessFactor":0.25,
                                                             "sheenColorTexture":{"index":0,"texCoord":1}},
                                      "KHR_materials_transmission":{"transmissionFactor":1},
                                      "KHR_materials_volume":{"thicknessFactor":2,"attenuationColor":[0.5,1,1]},
                                      "KHR_materials_ior":{"ior":1.33},
                                      "KHR_materials_specular":{"specularColorFactor":[1,0,0]}}}],
           "textures":[{"source":0}],"images":[{"uri":"layer.png"}],
           "extensions":{"KHR_lights_punctual":{"lights":[{"type":"spot","color":[1,0.5,0],"intensity":2,
                                                             "spot":{"outerConeAngle":0.5}}]}},
           "cameras":[{"type":"perspective","perspective":{"yfov":1.0,"znear":0.1}}],
           "nodes":[{"name":"lamp","extensions":{"KHR_lights_punctual":{"light":0}}},{"name":"eye","camera":0}],
           "scenes":[{"nodes":[0,1]}])");
    ASSERT_EQ(data.lights.size(), 1u);
    EXPECT_EQ(data.lights[0].name, "lamp");
    EXPECT_EQ(data.lights[0].kind, qm::LightKind::Spot);
    EXPECT_EQ(data.lights[0].diffuse, (std::array<float, 3>{2, 1, 0}));
    EXPECT_FLOAT_EQ(data.lights[0].outerCone, 1.0f);
    ASSERT_EQ(data.cameras.size(), 1u);
    EXPECT_EQ(data.cameras[0].name, "eye");
    EXPECT_FLOAT_EQ(data.cameras[0].horizontalFov, 0.5f);
    EXPECT_EQ(data.cameras[0].lookAt, (std::array<float, 3>{0, 0, -1}));
    ASSERT_EQ(data.materials.size(), 3u);
    EXPECT_TRUE(data.materials[0].unlit);
    EXPECT_FALSE(data.materials[1].unlit);
    const qm::SceneMaterial& plain = data.materials[1];
    const qm::SceneMaterial& layered = data.materials[2];
    EXPECT_EQ(std::tie(plain.clearcoat, plain.transmission, plain.ior, plain.dielectricSpecular),
              std::make_tuple(0.0f, 0.0f, 1.5f, 1.0f));
    EXPECT_EQ(std::tie(layered.clearcoat, layered.clearcoatRoughness, layered.sheenRoughness, layered.transmission,
                       layered.thickness, layered.attenuationDistance, layered.ior, layered.dielectricSpecular),
              std::make_tuple(0.5f, 0.0f, 0.25f, 1.0f, 2.0f, 0.0f, 1.33f, 1.0f));
    EXPECT_EQ(layered.sheenColour, (std::array<float, 3>{1, 0.5f, 0}));
    EXPECT_EQ(layered.attenuationColour, (std::array<float, 3>{0.5f, 1, 1}));
    EXPECT_EQ(layered.dielectricSpecularColour, (std::array<float, 3>{1, 0, 0}));
    ASSERT_EQ(layered.textures.size(), 2u);
    EXPECT_EQ(layered.textures[0].slot, qm::TextureSlot::Clearcoat);
    EXPECT_EQ(layered.textures[1].slot, qm::TextureSlot::SheenColour);
    EXPECT_EQ(layered.textures[1].texCoordSet, 1u);
    EXPECT_EQ(layered.textures[1].path, "layer.png");
}

// Material variants: their names, and each primitive's materials by variant.
TEST(GltfReader, TakesMaterialVariants)
{
    const fs::path file = fs::path(QM_TESTDATA_DIRECTORY) / "formats/box-variants.gltf";
    const qm::SceneData data = qm::readGltfFile(file);
    EXPECT_EQ(data.variants, (std::vector<std::string>{"Grey", "All plain"}));
    for (const qm::SceneMesh& mesh : data.meshes)
        EXPECT_EQ(mesh.variantMaterials, (std::vector<std::uint32_t>{0, 0, 1, 2}));
    EXPECT_EQ(qm::sceneDataProblem(data), "");
}

}  // namespace
