#include <gtest/gtest.h>

#include <algorithm>

#include <glm/gtc/matrix_transform.hpp>

#include "AnimationHandler.h"
#include "MeshLOD.h"
#include "PointLight.h"
#include "Scene.h"
#include "Shader.h"

namespace {

using qm::Mesh;
using qm::MeshLOD;
using qm::SceneObject;

std::shared_ptr<Mesh> meshWith(const std::shared_ptr<qm::Material>& material)
{
    return std::make_shared<Mesh>(std::vector<qm::Vertex>{{}, {}, {}}, std::vector<std::uint32_t>{0, 1, 2}, material);
}

// A scene whose camera stands at the origin looking along -z, with a chain
// of four distinct levels and objects placed by the test.
struct DrawListScene {
    qm::Scene scene;
    std::shared_ptr<qm::Material> material = std::make_shared<qm::Material>();
    std::array<std::shared_ptr<Mesh>, 4> levels;
    std::shared_ptr<MeshLOD> chain;

    DrawListScene()
    {
        material->shader = std::make_shared<qm::Shader>();
        for (auto& level : levels)
            level = meshWith(material);
        chain = std::make_shared<MeshLOD>(levels[0], levels[1], levels[2]);
        chain->levels[3] = levels[3];
        scene.camera->position = glm::vec3(0.0f);
    }

    // An object with a box of half extent `half` centred at `at`.
    std::shared_ptr<SceneObject> add(glm::vec3 at, float half = 0.0f, std::shared_ptr<MeshLOD> lod = nullptr)
    {
        auto object = std::make_shared<SceneObject>();
        object->model = glm::translate(glm::mat4(1.0f), at);
        object->position = at;
        object->boundingBox = qm::BoundingBox::fromMinMax(at - half, at + half);
        object->setMeshLOD(lod);
        scene.addObject(object);
        return object;
    }
};

// The batch of a mesh in a list of batches, or nothing.
const qm::MeshDraw* batchOf(const std::vector<qm::MeshDraw>& draws, const std::shared_ptr<Mesh>& mesh)
{
    const auto found = std::find_if(draws.begin(), draws.end(),
                                    [&](const qm::MeshDraw& draw) { return draw.mesh == mesh.get(); });
    return found == draws.end() ? nullptr : &*found;
}

TEST(DrawLists, FilesEachObjectAtItsLevelWithItsMatrices)
{
    DrawListScene s;
    std::vector<std::shared_ptr<SceneObject>> byLevel;  // one object at each level's distance
    for (const float z : {-30.0f, -80.0f, -150.0f, -250.0f})
        byLevel.push_back(s.add({0, 0, z}, 1.0f, s.chain));
    s.scene.buildOctree();
    const qm::DrawList& frame = s.scene.buildDrawList();

    const glm::mat4 view = s.scene.camera->getViewMatrix();
    EXPECT_EQ(frame.camera.view, view);
    ASSERT_EQ(frame.meshes.size(), 3u);
    for (std::size_t level = 0; level < 3; ++level) {
        const qm::MeshDraw* batch = batchOf(frame.meshes, s.levels[level]);
        ASSERT_NE(batch, nullptr) << level;
        EXPECT_EQ(batch->transforms, std::vector<glm::mat4>{view * byLevel[level]->model}) << level;
    }
    EXPECT_EQ(batchOf(frame.meshes, s.levels[0])->normalMatrices[0],
              glm::mat3(glm::transpose(glm::inverse(view * byLevel[0]->model))));
    // Billboards get world matrices.
    ASSERT_EQ(frame.billboards.size(), 1u);
    EXPECT_EQ(frame.billboards[0].mesh, s.levels[3].get());
    EXPECT_EQ(frame.billboards[0].transforms, std::vector<glm::mat4>{byLevel[3]->model});

    ASSERT_EQ(frame.opaque.size(), 1u);
    EXPECT_EQ(frame.opaque[0].shader, s.material->shader);
    ASSERT_EQ(frame.opaque[0].materials.size(), 1u);
    EXPECT_EQ(frame.opaque[0].materials[0].material, s.material);
    std::vector<const Mesh*> order;
    for (const std::uint32_t m : frame.opaque[0].materials[0].meshes)
        order.push_back(frame.meshes[m].mesh);
    EXPECT_EQ(order, (std::vector<const Mesh*>{s.levels[0].get(), s.levels[1].get(), s.levels[2].get()}))
        << "in the order of the objects";
}

// Lights come in creation order, each with its placements nearest first,
// whether or not their objects are drawn.
TEST(DrawLists, EmptyLevelsFallThroughToTheBillboardAndLightsAreAlwaysCollected)
{
    DrawListScene s;
    // Only the imported mesh: levels 1 and 2 empty, no billboard.
    auto sparse = std::make_shared<MeshLOD>(s.levels[0], nullptr, nullptr);
    sparse->levels[3] = s.levels[3];
    s.add({0, 0, -80}, 0.5f, sparse);  // level 1 is empty: drawn as its billboard
    auto lonely = std::make_shared<MeshLOD>(s.levels[0], s.levels[1], s.levels[2]);
    const auto unseen = s.add({0, 0, -250}, 0.5f, lonely);  // no billboard: not drawn
    auto light = std::make_shared<qm::PointLight>();
    light->order = 2;
    unseen->light = light;
    for (const float z : {-3.0f, -20.0f})
        s.add({0, 0, z})->light = light;  // light placements without a mesh
    auto earlier = std::make_shared<qm::PointLight>();
    earlier->order = 1;
    s.add({0, 0, -8})->light = earlier;
    s.scene.buildOctree();
    const qm::DrawList& frame = s.scene.buildDrawList();

    ASSERT_EQ(frame.billboards.size(), 1u);
    EXPECT_EQ(frame.billboards[0].transforms.size(), 1u);
    EXPECT_TRUE(frame.meshes.empty());
    EXPECT_TRUE(frame.opaque.empty());
    ASSERT_EQ(frame.lights.size(), 2u);
    EXPECT_EQ(frame.lights[0].light, earlier.get());
    std::vector<glm::vec3> positions;
    for (const qm::LightPlacement& placement : frame.lights[1].placements) {
        positions.push_back(placement.position);
        EXPECT_EQ(placement.direction, light->direction);
    }
    EXPECT_EQ(positions, (std::vector<glm::vec3>{{0, 0, -3}, {0, 0, -20}, {0, 0, -250}}));
}

TEST(DrawLists, AnimatedObjectsAreFiledOnceWhereverTheyAre)
{
    DrawListScene s;
    const auto inView = s.add({0, 0, -30}, 1.0f, s.chain);
    const auto behind = s.add({0, 0, 30}, 1.0f, s.chain);
    inView->light = std::make_shared<qm::PointLight>();
    auto animation = std::make_shared<qm::AnimationHandler>();
    animation->objects = {inView, behind};
    s.scene.setAnimationHandler(animation);
    s.scene.buildOctree();
    const qm::DrawList& frame = s.scene.buildDrawList();
    ASSERT_NE(batchOf(frame.meshes, s.levels[0]), nullptr);
    EXPECT_EQ(batchOf(frame.meshes, s.levels[0])->transforms.size(), 2u)
        << "the one in view once, the one behind despite culling";
    ASSERT_EQ(frame.lights.size(), 1u);
    EXPECT_EQ(frame.lights[0].placements.size(), 1u);
}

// Blended copies leave the opaque groups and come farthest first, each on its own.
TEST(DrawLists, BlendedCopiesComeFarthestFirst)
{
    DrawListScene s;
    auto glass = std::make_shared<qm::Material>();
    glass->shader = s.material->shader;
    glass->coverage = qm::Coverage::Blend;
    auto panes = std::make_shared<MeshLOD>(meshWith(glass), meshWith(glass), meshWith(glass));
    for (const float z : {-10.0f, -40.0f, -20.0f})
        s.add({0, 0, z}, 0.5f, panes);
    s.add({0, 0, -15}, 0.5f, s.chain);
    s.scene.buildOctree();
    const qm::DrawList& frame = s.scene.buildDrawList();
    ASSERT_EQ(frame.blended.size(), 3u);
    EXPECT_FLOAT_EQ(frame.blended[0].depth, 40.0f);
    EXPECT_FLOAT_EQ(frame.blended[1].depth, 20.0f);
    EXPECT_FLOAT_EQ(frame.blended[2].depth, 10.0f);
    ASSERT_EQ(frame.opaque.size(), 1u);
    EXPECT_EQ(frame.opaque[0].materials.size(), 1u) << "only the opaque material";
}

TEST(DrawLists, EachFrameHoldsOnlyWhatItSeesReusingStorage)
{
    DrawListScene s;
    for (int i = 0; i < 20; ++i)
        s.add({float(i) - 10.0f, 0, -30}, 0.5f, s.chain);
    s.scene.buildOctree();
    ASSERT_EQ(s.scene.buildDrawList().meshes.size(), 1u);
    const glm::mat4* storage = s.scene.buildDrawList().meshes[0].transforms.data();
    const qm::DrawList& again = s.scene.buildDrawList();
    EXPECT_EQ(again.meshes[0].transforms.size(), 20u) << "a second frame starts anew";
    EXPECT_EQ(again.meshes[0].transforms.data(), storage) << "in the storage of the first";

    s.scene.camera->look(0.0f, 1800.0f);  // turned around: nothing in view
    const qm::DrawList& frame = s.scene.buildDrawList();
    EXPECT_TRUE(frame.meshes.empty());
    EXPECT_TRUE(frame.opaque.empty());
    EXPECT_TRUE(frame.lights.empty());
}

}  // namespace
