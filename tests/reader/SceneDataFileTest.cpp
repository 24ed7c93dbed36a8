#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "ContentHash.h"
#include "ByteCodec.h"
#include "SceneDataFile.h"

namespace {

// A little of everything SceneData holds.
qm::SceneData smallScene()
{
    qm::SceneData scene;
    qm::SceneMesh mesh;
    mesh.name = "tri";
    mesh.positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    mesh.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    mesh.texCoords[0] = {0, 0, 1, 0, 0, 1};
    mesh.triangles = {0, 1, 2};
    mesh.lines = {0, 1};
    mesh.bones = {{"arm", qm::identityMatrix}};
    mesh.boneIndices.assign(12, 0);
    mesh.boneWeights = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
    mesh.morphTargets = {{"smile", {0, 0, 1, 1, 0, 1, 0, 1, 1}, {}}};
    scene.meshes.push_back(mesh);
    qm::SceneMaterial material;
    material.name = "Stone";
    material.textures = {{qm::TextureSlot::Diffuse, "stone_d.png", -1, 0},
                         {qm::TextureSlot::Emissive, "*0", 0, 1}};
    material.alphaMode = qm::AlphaMode::Mask;
    scene.materials.push_back(material);
    scene.images.push_back({"*0", "png", 4, 0, {1, 2, 3, 4}});
    scene.images.push_back({"raw", "", 1, 1, {9, 9, 9, 255}});
    scene.nodes = {{"root", -1, qm::identityMatrix, {}}, {"child", 0, qm::identityMatrix, {0}}};
    scene.lights.push_back({.name = "lamp", .kind = qm::LightKind::Point});
    scene.cameras.push_back({.name = "eye"});
    qm::SceneAnimation animation;
    animation.name = "wave";
    animation.nodeChannels.push_back({"child", {0, 1}, {0, 0, 0, 1, 0, 0}, {0}, {0, 0, 0, 1}, {}, {}});
    animation.morphChannels.push_back({"tri", {0, 1}, {0, 1, 2}, {0, 0}, {0.0f, 1.0f}});
    scene.animations.push_back(animation);
    scene.numbers = {{"UnitScaleFactor", 2.54}};
    scene.sourceFiles = {"/models/stone_d.png"};
    return scene;
}

// The header's payload size and checksum made to match whatever follows it.
std::string sealed(std::string bytes)
{
    const std::uint64_t size = bytes.size() - qm::sceneDataHeaderSize;
    const std::uint64_t sum = qm::checksum(qm::asBytes(bytes).subspan(qm::sceneDataHeaderSize));
    bytes.replace(16, 8, reinterpret_cast<const char*>(&size), 8);
    return bytes.replace(24, 8, reinterpret_cast<const char*>(&sum), 8);
}

TEST(SceneDataFile, WhatIsWrittenReadsBackTheSame)
{
    const std::string bytes = qm::encodeSceneData(smallScene());
    std::string problem;
    const std::optional<qm::SceneData> scene = qm::decodeSceneData(qm::asBytes(bytes), problem);
    ASSERT_TRUE(scene) << problem;
    EXPECT_EQ(qm::encodeSceneData(*scene), bytes);
    EXPECT_EQ(scene->meshes[0].morphTargets[0].name, "smile");
    EXPECT_EQ(scene->materials[0].textures[1].image, 0);
    EXPECT_EQ(scene->numbers[0].value, 2.54);
    EXPECT_EQ(bytes.compare(0, 8, std::string("QMSCENE\0", 8)), 0);
}

// Bytes cut anywhere, or changed anywhere, are refused with a reason; none
// is read outside the bytes (the sanitizer builds would tell).
TEST(SceneDataFile, EveryCutAndEveryChangedByteIsRefused)
{
    const std::string bytes = qm::encodeSceneData(smallScene());
    std::string problem;
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        EXPECT_FALSE(qm::decodeSceneData(qm::asBytes(bytes).first(size), problem)) << size;
        EXPECT_FALSE(problem.empty());
    }
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        if (at >= 12 && at < 16)
            continue;  // the header's unused bits
        std::string changed = bytes;
        changed[at] = char(changed[at] ^ 0x5a);
        EXPECT_FALSE(qm::decodeSceneData(qm::asBytes(changed), problem)) << at;
    }
    std::string longer = bytes + "x";
    EXPECT_FALSE(qm::decodeSceneData(qm::asBytes(longer), problem));
}

// The checksum matching, what the payload says must still keep the rules:
// counts within the bytes, indices within their arrays.
TEST(SceneDataFile, RecordsThatBreakTheRulesAreRefused)
{
    const struct {
        const char* name;
        std::function<void(qm::SceneData&)> damage;
        const char* problem;
    } cases[] = {
        {"triangle index", [](qm::SceneData& s) { s.meshes[0].triangles[2] = 3; }, "mesh 0: triangles use 3 of 3"},
        {"line count", [](qm::SceneData& s) { s.meshes[0].lines.push_back(1); }, "mesh 0: lines do not come in groups of 2"},
        {"normals", [](qm::SceneData& s) { s.meshes[0].normals.pop_back(); }, "mesh 0: normals holds 8 numbers, not 9"},
        {"material", [](qm::SceneData& s) { s.meshes[0].material = 1; }, "mesh 0: material 1 of 1"},
        {"bone", [](qm::SceneData& s) { s.meshes[0].boneIndices[5] = 1; }, "mesh 0: bone weights use 1 of 1"},
        {"morph", [](qm::SceneData& s) { s.meshes[0].morphTargets[0].positions.pop_back(); },
         "mesh 0: morph target \"smile\" does not match the vertices"},
        {"image", [](qm::SceneData& s) { s.materials[0].textures[1].image = 2; },
         "material 0 names a texture slot or image that does not exist"},
        {"slot", [](qm::SceneData& s) { s.materials[0].textures[0].slot = qm::TextureSlot::Count; },
         "material 0 names a texture slot or image that does not exist"},
        {"texels", [](qm::SceneData& s) { s.images[1].height = 2; }, "image \"raw\": texels holds 4 numbers, not 8"},
        {"parent", [](qm::SceneData& s) { s.nodes[1].parent = 1; }, "node 1 has parent 1"},
        {"root", [](qm::SceneData& s) { s.nodes.clear(); }, "no root node"},
        {"node mesh", [](qm::SceneData& s) { s.nodes[1].meshes = {1}; }, "node 1 uses mesh 1 of 1"},
        {"keys", [](qm::SceneData& s) { s.animations[0].nodeChannels[0].positions.pop_back(); },
         "animation \"wave\": channel \"child\": keys holds 5 numbers, not 6"},
        {"morph keys", [](qm::SceneData& s) { s.animations[0].morphChannels[0].offsets[2] = 3; },
         "animation \"wave\": morph channel \"tri\" has keys that do not match its weights"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        qm::SceneData scene = smallScene();
        c.damage(scene);
        EXPECT_EQ(qm::sceneDataProblem(scene), c.problem);
        std::string problem;
        EXPECT_FALSE(qm::decodeSceneData(qm::asBytes(qm::encodeSceneData(scene)), problem));
        EXPECT_EQ(problem, c.problem);
    }
}

// What fuzzing found, as the fuzz target gives it to the decoder: with the
// header's size and checksum made to match.
TEST(SceneDataFile, FuzzFindingsAreRefused)
{
    for (const auto& entry : std::filesystem::directory_iterator(QM_REGRESSION_DIRECTORY "/scenedata")) {
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string bytes(std::istreambuf_iterator<char>(file), {});
        ASSERT_GE(bytes.size(), qm::sceneDataHeaderSize);
        std::string problem;
        EXPECT_FALSE(qm::decodeSceneData(qm::asBytes(sealed(bytes)), problem)) << entry.path();
    }
}

TEST(SceneDataFile, ForeignVersionsAndHugeCountsAreRefused)
{
    std::string bytes = qm::encodeSceneData(smallScene());
    std::string problem;
    std::string newer = bytes;
    newer[8] = char(qm::sceneDataVersion + 1);
    EXPECT_FALSE(qm::decodeSceneData(qm::asBytes(newer), problem));
    EXPECT_EQ(problem, "scene data of version " + std::to_string(qm::sceneDataVersion + 1) + ", not " +
                           std::to_string(qm::sceneDataVersion));

    // A mesh count of 2^60 with a matching checksum: refused before any allocation.
    const std::string huge = sealed(bytes.substr(0, qm::sceneDataHeaderSize) + std::string("\0\0\0\0\0\0\0\x10", 8));
    EXPECT_FALSE(qm::decodeSceneData(qm::asBytes(huge), problem));
    EXPECT_EQ(problem, "scene data cut short");
}

}  // namespace
