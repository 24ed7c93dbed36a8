#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <sstream>

#include "AnimationClip.h"
#include "Mesh.h"
#include "MeshDeformation.h"
#include "MeshLOD.h"
#include "ModelMotion.h"
#include "NearVector.h"
#include "SceneData.h"
#include "Scene.h"
#include "SceneObject.h"

namespace {

using qm::KeyTrack;

qm::Matrix4 matrixOf(const glm::mat4& m)
{
    qm::Matrix4 out;
    std::copy_n(glm::value_ptr(m), 16, out.begin());
    return out;
}

TEST(AnimationClip, SamplesBetweenKeysAndHoldsTheEnds)
{
    const KeyTrack track{{1.0f, 2.0f, 4.0f}, {0, 0, 0, 10, 0, 0, 10, 20, 0}};
    const struct {
        float time;
        glm::vec3 value;
    } cases[] = {{-5.0f, {0, 0, 0}}, {1.0f, {0, 0, 0}}, {1.5f, {5, 0, 0}}, {2.0f, {10, 0, 0}},
                 {3.0f, {10, 10, 0}}, {4.0f, {10, 20, 0}}, {99.0f, {10, 20, 0}}, {NAN, {0, 0, 0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        expectNear(qm::sampleVector(track, c.time), c.value);
    }
    const KeyTrack single{{3.0f}, {1, 2, 3}};
    expectNear(qm::sampleVector(single, 0.0f), {1, 2, 3});
    expectNear(qm::sampleVector(single, 9.0f), {1, 2, 3});
    // Two keys at one time: the later one from then on, no division by zero.
    const KeyTrack step{{0.0f, 1.0f, 1.0f}, {0, 0, 0, 0, 0, 0, 5, 5, 5}};
    expectNear(qm::sampleVector(step, 1.5f), {5, 5, 5});
}

TEST(AnimationClip, TurnsTheShortWayRound)
{
    // 0 and 90 degrees about z, the second given as its negative quaternion.
    const float h = std::sqrt(0.5f);
    const KeyTrack track{{0.0f, 1.0f}, {0, 0, 0, 1, 0, 0, -h, -h}};
    const glm::quat q = qm::sampleRotation(track, 0.5f);
    expectNear(q * glm::vec3(1, 0, 0), {h, h, 0});  // a quaternion off unit length would scale it too

    const KeyTrack weights{{0.0f, 2.0f}, {0, 1, 1, 0}};
    float out[2];
    qm::sampleWeights(weights, 0.5f, out);
    EXPECT_FLOAT_EQ(out[0], 0.25f);
    EXPECT_FLOAT_EQ(out[1], 0.75f);
}

TEST(MeshDeformation, KeepsTheHeaviestBonesAndFillsTheirSum)
{
    qm::SceneMesh mesh;
    mesh.positions = {0, 0, 0, 1, 0, 0, 2, 0, 0};
    mesh.bones.resize(3);
    // Unsorted weights that add up to 2; a bone number past the list; no weight at all.
    mesh.boneIndices = {0, 1, 2, 0, 7, 1, 0, 0, 0, 0, 0, 0};
    mesh.boneWeights = {0.2f, 1.2f, 0.6f, 0.0f, 0.9f, 0.3f, NAN, 0.0f, 0, 0, 0, 0};
    std::string problem;
    const auto deformation = qm::readDeformation(mesh, problem);
    ASSERT_TRUE(deformation && deformation->skinned());
    EXPECT_TRUE(problem.empty());
    const qm::SkinVertex& first = deformation->skin[0];
    EXPECT_EQ((std::array{first.bones[0], first.bones[1], first.bones[2]}), (std::array<std::uint16_t, 3>{1, 2, 0}));
    EXPECT_EQ(first.weights[0] + first.weights[1] + first.weights[2] + first.weights[3], 65535);
    EXPECT_NEAR(first.weights[0] / 65535.0, 0.6, 1e-4);
    // The second vertex follows bone 1 alone; the third, weighing nothing, stays with the mesh (bone 3).
    for (const auto& [v, bone] : {std::pair{1, 1}, std::pair{2, 3}}) {
        EXPECT_EQ(deformation->skin[std::size_t(v)].bones[0], bone) << v;
        EXPECT_EQ(deformation->skin[std::size_t(v)].weights[0], 65535) << v;
    }

    mesh.bones.resize(qm::maxBonesPerMesh + 1);
    mesh.morphTargets.push_back({"up", {0, 1, 0, 1, 1, 0, 2, 1, 0}, {}});
    const auto tooMany = qm::readDeformation(mesh, problem);
    EXPECT_NE(problem.find("1025 bones"), std::string::npos) << problem;
    ASSERT_TRUE(tooMany);
    EXPECT_FALSE(tooMany->skinned());
    ASSERT_EQ(tooMany->morphTargets, 1u);
    EXPECT_EQ(tooMany->morphDeltas[2], glm::vec3(0, 1, 0));  // vertex 1's position change
}

// A bar along y from 0 to 2 skinned to two bones (the upper one at y = 1),
// a clip that bends the upper bone by 90 degrees about z over 1 s and
// slides the bar's node 4 units along x, and a second clip that only
// morphs; the file stands twice its size in the world.
struct BendingBar {
    qm::SceneData scene;
    std::shared_ptr<qm::SceneObject> object = std::make_shared<qm::SceneObject>();
    // Placed on the bar's node without a mesh: it shows where the node is.
    std::shared_ptr<qm::SceneObject> marker = std::make_shared<qm::SceneObject>();
    std::shared_ptr<qm::ModelMotion> motion;
    std::shared_ptr<qm::Material> material = std::make_shared<qm::Material>();
    glm::mat4 root = glm::scale(glm::mat4(1.0f), glm::vec3(2.0f));

    BendingBar()
    {
        scene.nodes = {{"root", -1, qm::identityMatrix, {}}, {"Bar", 0, qm::identityMatrix, {0}},
                       {"Lower", 0, qm::identityMatrix, {}},
                       {"Upper", 2, matrixOf(glm::translate(glm::mat4(1.0f), {0, 1, 0})), {}}};
        qm::SceneMesh mesh;
        mesh.name = "bar";
        mesh.positions = {0, 0, 0, 0, 0.5f, 0, 0, 1, 0, 0, 1.5f, 0, 0, 2, 0};
        mesh.boneIndices = {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};  // 2 to 4 on the upper bone
        mesh.boneWeights = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};
        mesh.normals.assign(mesh.positions.size(), 0.0f);
        mesh.triangles = {0, 1, 2, 2, 3, 4};
        mesh.bones = {{"Lower", qm::identityMatrix}, {"Upper", matrixOf(glm::translate(glm::mat4(1.0f), {0, -1, 0}))}};
        for (int t = 0; t < 10; ++t)  // target t lifts vertex 0 by t + 1
            mesh.morphTargets.push_back({"t" + std::to_string(t), mesh.positions, {}});
        for (int t = 0; t < 10; ++t)
            mesh.morphTargets[std::size_t(t)].positions[1] += float(t + 1);
        scene.meshes.push_back(mesh);

        const float h = std::sqrt(0.5f);
        scene.animations.push_back({"bend", 10.0, 10.0,
                                    {{"Upper", {}, {}, {0.0, 10.0}, {0, 0, 0, 1, 0, 0, h, h}, {}, {}},
                                     {"Bar", {0.0, 10.0}, {0, 0, 0, 4, 0, 0}, {}, {}, {}, {}},
                                     {"Nowhere", {0.0}, {1, 1, 1}, {}, {}, {}, {}}},
                                    {}});
        qm::MorphChannel channel{"Bar", {0.0}, {0, 10}, {}, {}};
        for (std::uint32_t t = 0; t < 10; ++t) {
            channel.targets.push_back(t);
            channel.weights.push_back(0.1f * float(t));  // 0 to 0.9: the two lightest fall out
        }
        scene.animations.push_back({"morph", 25.0, 0.0, {}, {channel}});  // ticks a second unknown: 25
        scene.animations.push_back({"empty", 5.0, 1.0, {}, {}});

        std::string problem;
        std::vector<qm::Vertex> vertices(mesh.vertexCount());
        for (std::size_t v = 0; v < vertices.size(); ++v)
            vertices[v].position = glm::make_vec3(&mesh.positions[3 * v]);
        auto level = std::make_shared<qm::Mesh>(vertices, mesh.triangles, material);
        level->deformation = qm::readDeformation(mesh, problem);
        auto chain = std::make_shared<qm::MeshLOD>(level, level, level);
        chain->computeBoundingBox();
        object->setMeshLOD(chain);
        object->model = root;
        object->computeBounds();
        motion = qm::buildModelMotion(scene, qm::readClips(scene, std::cerr), root, {{object, 1, 0, -1}, {marker, 1, -1, -1}}, std::cerr);
    }

    // Vertex v where the GPU would draw it now, in the world.
    glm::vec3 skinned(std::size_t v) const
    {
        const qm::ModelMotion::Deformer& deformer = motion->deformers.at(0);
        const qm::SkinVertex& skin = object->getMeshLOD()->levels[0]->deformation->skin[v];
        const glm::vec3 p = glm::make_vec3(&scene.meshes[0].positions[3 * v]);
        return glm::vec3(object->model * deformer.block[1 + skin.bones[0]] * glm::vec4(p, 1.0f));
    }
};

TEST(ModelMotion, PosesNodesAndSkinsOverTheClip)
{
    BendingBar bar;
    ASSERT_TRUE(bar.motion);
    // The empty clip is left out; the channel naming no node too.
    ASSERT_EQ(bar.motion->clips.size(), 2u);
    EXPECT_EQ(bar.motion->clips[0].nodes.size(), 2u);
    ASSERT_EQ(bar.motion->clip(), std::optional<std::size_t>(0));

    bar.motion->setTime(0.5f);
    bar.motion->pose();
    // The node has slid 2 units, doubled by the file's placement; the
    // skinned mesh's object stays at the placement, its bones place it.
    expectNear(bar.marker->position, {4, 0, 0}, 1e-4f);
    expectNear(bar.object->position, {0, 0, 0}, 1e-4f);
    // The top vertex turns 45 degrees about the upper bone's joint; skinned
    // vertices follow their bones, not the node that places the mesh.
    const float h = std::sqrt(0.5f);
    expectNear(bar.skinned(4), 2.0f * glm::vec3(-h, 1.0f + h, 0.0f), 1e-4f);
    expectNear(bar.skinned(1), 2.0f * glm::vec3(0.0f, 0.5f, 0.0f), 1e-4f);

    // The rest pose: the bind pose, in place.
    bar.motion->select(std::nullopt);
    bar.motion->pose();
    expectNear(bar.skinned(4), {0, 4, 0}, 1e-4f);
    expectNear(bar.marker->position, {0, 0, 0}, 1e-4f);
}

TEST(ModelMotion, BoundsHoldTheWholeClip)
{
    BendingBar bar;
    const std::optional<qm::BoundingBox> all = bar.motion->fitBounds();
    const qm::BoundingBox& box = bar.object->boundingBox;
    ASSERT_TRUE(all);
    expectNear(all->min, box.min, 1e-4f);
    expectNear(all->max, box.max, 1e-4f);
    for (int step = 0; step <= 100; ++step) {
        bar.motion->setTime(0.01f * float(step) * 0.999f);
        bar.motion->pose();
        for (std::size_t v = 0; v < 5; ++v) {
            const glm::vec3 p = bar.skinned(v);
            EXPECT_TRUE(glm::all(glm::greaterThanEqual(p, box.min - 1e-4f)) &&
                        glm::all(glm::lessThanEqual(p, box.max + 1e-4f)))
                << "vertex " << v << " at step " << step;
        }
    }
    // The lifted vertex of the morph targets (up to 10 units, doubled) is inside too.
    EXPECT_GE(box.max.y, 20.0f);
}

TEST(ModelMotion, PlaysAsTheUserAsks)
{
    BendingBar bar;
    qm::ModelMotion& motion = *bar.motion;
    const struct {
        const char* choice;
        bool found;
        std::optional<std::size_t> clip;
    } choices[] = {{"2", true, 1}, {"bend", true, 0}, {"none", true, std::nullopt}, {"3", false, 0},
                   {"0", false, 0}, {"walk", false, 0}, {"", false, 0}, {"99999999999", false, 0}};
    for (const auto& c : choices) {
        motion.select(std::size_t(0));  // what a choice not found leaves
        EXPECT_EQ(motion.choose(c.choice), c.found) << c.choice;
        EXPECT_EQ(motion.clip(), c.clip) << c.choice;
    }
    EXPECT_EQ(motion.listing(), "Animations: 1 \"bend\" (1 s), 2 \"morph\" (1 s).");

    // Stepping and pausing: Application.PlaybackKeysDriveTheModelsClips.
    motion.select(std::size_t(1));
    motion.setTime(2.25f);
    EXPECT_FLOAT_EQ(motion.time(), 0.25f);
    motion.advance(0.5f);
    EXPECT_FLOAT_EQ(motion.time(), 0.75f);
    motion.paused = true;
    motion.select(std::nullopt);
    motion.setTime(3.0f);
    EXPECT_EQ(motion.time(), 0.0f);

    // A reload plays on where the file was: clip, time and pause, the clip
    // only when the file still has it.
    motion.select(std::size_t(1));
    motion.setTime(0.4f);
    BendingBar reloaded;
    reloaded.motion->continueFrom(motion);
    EXPECT_EQ(reloaded.motion->clip(), std::optional<std::size_t>(1));
    EXPECT_FLOAT_EQ(reloaded.motion->time(), 0.4f);
    EXPECT_TRUE(reloaded.motion->paused);
    BendingBar shortened;
    shortened.motion->clips.pop_back();
    const std::optional<std::size_t> before = shortened.motion->clip();
    shortened.motion->continueFrom(motion);
    EXPECT_EQ(shortened.motion->clip(), before);
}

// Each frame's draw list carries every copy's deformation block (morph weights
// and bone palette), opaque or blended, posed for the frame: the eight
// heaviest morph weights.
TEST(ModelMotion, PalettesReachTheDrawList)
{
    for (const qm::Coverage coverage : {qm::Coverage::Opaque, qm::Coverage::Blend}) {
        BendingBar bar;
        bar.material->coverage = coverage;
        ASSERT_TRUE(bar.motion->choose("morph"));
        bar.motion->fitBounds();
        qm::Scene scene;
        scene.addObject(bar.object);
        scene.motion = bar.motion;
        scene.buildOctree();
        scene.camera->position = glm::vec3(0.0f, 4.0f, 40.0f);
        scene.camera->look(0.0f, 0.0f);
        bar.motion->setTime(0.5f);
        const qm::DrawList& frame = scene.buildDrawList();
        const qm::ModelMotion::Deformer& deformer = bar.motion->deformers.at(0);
        // The block's first matrix: target numbers in columns 0 and 1, weights in 2 and 3.
        const glm::mat4& targets = deformer.block.at(0);
        for (int slot = 0; slot < 8; ++slot) {
            const int target = int(targets[slot / 4][slot % 4]);
            EXPECT_GE(target, 2) << "a light target kept in slot " << slot;
            EXPECT_FLOAT_EQ(targets[2 + slot / 4][slot % 4], 0.1f * float(target)) << slot;
        }
        if (coverage == qm::Coverage::Opaque) {
            ASSERT_EQ(frame.meshes.size(), 1u);
            EXPECT_EQ(frame.meshes[0].deformations, deformer.block);
        } else {
            ASSERT_EQ(frame.blended.size(), 1u);
            ASSERT_EQ(frame.blended[0].firstBlock, 0u);
            EXPECT_EQ(frame.blendedDeformations, deformer.block);
        }
    }
}

TEST(ModelMotion, NoneForAFileThatDoesNotMove)
{
    BendingBar bar;
    bar.scene.animations.resize(2);
    bar.scene.animations[0].nodeChannels = {{"Nowhere", {0.0}, {1, 1, 1}, {}, {}, {}, {}}};
    bar.scene.animations[1].morphChannels = {{"nothing", {0.0}, {0, 1}, {0}, {1.0f}}};
    std::ostringstream problems;
    EXPECT_TRUE(qm::readClips(bar.scene, problems).empty());
    EXPECT_NE(problems.str().find("animation channels that name no node of the file."), std::string::npos)
        << problems.str();
    EXPECT_FALSE(qm::buildModelMotion(bar.scene, {}, glm::mat4(1.0f), {{bar.object, 1, 0, -1}}, problems));
}

}  // namespace
