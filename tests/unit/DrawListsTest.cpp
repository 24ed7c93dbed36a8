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

TEST(DrawLists, FilesEachObjectAtItsLevelWithItsMatrices)
{
    DrawListScene s;
    const auto near = s.add({0, 0, -30}, 1.0f, s.chain);
    const auto middle = s.add({0, 0, -80}, 1.0f, s.chain);
    const auto far = s.add({0, 0, -150}, 1.0f, s.chain);
    const auto farthest = s.add({0, 0, -250}, 1.0f, s.chain);
    s.scene.buildOctree();
    s.scene.buildDrawLists();

    const glm::mat4 view = s.scene.camera->getViewMatrix();
    for (int level = 0; level < 3; ++level) {
        ASSERT_EQ(s.levels[std::size_t(level)]->instanceTransforms.size(), 1u) << level;
        EXPECT_EQ(std::count(s.scene.nearMeshes.begin(), s.scene.nearMeshes.end(), s.levels[std::size_t(level)].get()), 1);
    }
    EXPECT_EQ(s.levels[0]->instanceTransforms[0], view * near->model);
    EXPECT_EQ(s.levels[1]->instanceTransforms[0], view * middle->model);
    EXPECT_EQ(s.levels[2]->instanceTransforms[0], view * far->model);
    EXPECT_EQ(s.levels[0]->instanceNormalMatrices[0], glm::mat3(glm::transpose(glm::inverse(view * near->model))));
    // Billboards get world matrices.
    EXPECT_EQ(s.scene.billboards, std::vector<Mesh*>{s.levels[3].get()});
    EXPECT_EQ(s.levels[3]->instanceTransforms, std::vector<glm::mat4>{farthest->model});
    EXPECT_EQ(s.levels[3]->instanceNormalMatrices, std::vector<glm::mat3>{glm::mat3(farthest->model)});

    ASSERT_EQ(s.scene.deferredGroups.size(), 1u);
    EXPECT_EQ(s.scene.deferredGroups[0].shader, s.material->shader);
    ASSERT_EQ(s.scene.deferredGroups[0].materials.size(), 1u);
    EXPECT_EQ(s.scene.deferredGroups[0].materials[0].material, s.material);
    EXPECT_EQ(s.scene.deferredGroups[0].materials[0].meshes,
              (std::vector<Mesh*>{s.levels[0].get(), s.levels[1].get(), s.levels[2].get()}))
        << "in the order of the objects";
}

TEST(DrawLists, EmptyLevelsFallThroughToTheBillboardAndLightsAreAlwaysCollected)
{
    DrawListScene s;
    // Only the imported mesh: levels 1 and 2 empty, no billboard.
    auto sparse = std::make_shared<MeshLOD>(s.levels[0], nullptr, nullptr);
    sparse->levels[3] = s.levels[3];
    s.add({0, 0, -80}, 0.5f, sparse);  // level 1 is empty: drawn as its billboard
    auto lonely = std::make_shared<MeshLOD>(s.levels[0], s.levels[1], s.levels[2]);
    const auto unseen = s.add({0, 0, -250}, 0.5f, lonely);  // no billboard: not drawn
    unseen->light = std::make_shared<qm::PointLight>();
    const auto lamp = s.add({0, 0, -20});  // a light placement without a mesh
    lamp->light = unseen->light;
    s.scene.buildOctree();
    s.scene.buildDrawLists();

    EXPECT_EQ(s.levels[3]->instanceTransforms.size(), 1u);
    EXPECT_TRUE(s.levels[0]->instanceTransforms.empty());
    EXPECT_TRUE(s.levels[2]->instanceTransforms.empty());
    EXPECT_TRUE(s.scene.nearMeshes.empty());
    ASSERT_EQ(s.scene.visibleLights.size(), 1u);
    EXPECT_EQ(unseen->light->visiblePositions, (std::vector<glm::vec3>{{0, 0, -20}, {0, 0, -250}})) << "nearest first";
}

TEST(DrawLists, LightsComeInCreationOrderWithTheirPositionsNearestFirst)
{
    DrawListScene s;
    auto light = std::make_shared<qm::PointLight>();
    light->order = 2;
    auto earlier = std::make_shared<qm::PointLight>();
    earlier->order = 1;
    for (const float z : {-5.0f, -1.0f, -3.0f})
        s.add({0, 0, z})->light = light;
    s.add({0, 0, -8})->light = earlier;
    s.scene.buildOctree();
    s.scene.buildDrawLists();
    EXPECT_EQ(light->visiblePositions, (std::vector<glm::vec3>{{0, 0, -1}, {0, 0, -3}, {0, 0, -5}}));
    EXPECT_EQ(s.scene.visibleLights, (std::vector<qm::PointLight*>{earlier.get(), light.get()}));
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
    s.scene.buildDrawLists();
    EXPECT_EQ(s.levels[0]->instanceTransforms.size(), 2u) << "the one in view once, the one behind despite culling";
    EXPECT_EQ(inView->light->visiblePositions.size(), 1u);
}

TEST(DrawLists, ListsAreEmptiedBetweenFramesKeepingTheirStorage)
{
    DrawListScene s;
    for (int i = 0; i < 20; ++i)
        s.add({float(i) - 10.0f, 0, -30}, 0.5f, s.chain)->light = nullptr;
    s.scene.buildOctree();
    s.scene.buildDrawLists();
    ASSERT_EQ(s.levels[0]->instanceTransforms.size(), 20u);
    const std::size_t capacity = s.levels[0]->instanceTransforms.capacity();

    s.scene.camera->look(0.0f, 1800.0f);  // turned around: nothing in view
    s.scene.buildDrawLists();
    EXPECT_TRUE(s.levels[0]->instanceTransforms.empty());
    EXPECT_TRUE(s.levels[0]->instanceNormalMatrices.empty());
    EXPECT_EQ(s.levels[0]->instanceTransforms.capacity(), capacity);
    EXPECT_TRUE(s.scene.deferredGroups.empty());
    EXPECT_TRUE(s.scene.nearMeshes.empty());
}

}  // namespace
