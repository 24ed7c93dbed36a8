#include <gtest/gtest.h>

#include "AnimationHandler.h"
#include "NearVector.h"

namespace {

using qm::AnimationHandler;

std::shared_ptr<qm::SceneObject> flyer(glm::vec3 at, float radiusOffset)
{
    auto object = std::make_shared<qm::SceneObject>();
    object->model = glm::translate(glm::mat4(1.0f), at);
    object->position = at;
    object->boundingBox = qm::BoundingBox::fromMinMax(at - 0.5f, at + 0.5f);
    object->radiusOffset = radiusOffset;
    object->initialModel = object->model;
    object->initialPosition = at;
    return object;
}

TEST(Animation, OneStepByPlace)
{
    const struct {
        const char* name;
        glm::vec3 start;
        float radiusOffset;
        glm::vec3 expected;
    } cases[] = {
        // On the axis 10 / 0 is infinite: the largest factor 0.2, a step of 0.24 straight up.
        {"on the axis", {0, 10, 0}, 0, {0, 10 + 0.24f / 2.5f, 0}},
        // Inside the orbit: sideways around the axis and up towards 90 (L = sqrt(100 + 70^2)).
        {"circling", {10, 20, 0}, 0, {10, 20 + 70 / 70.7106781f / 2.5f * 0.24f, -2.5f * 10 / 70.7106781f * 0.24f}},
        // Beyond its orbit of 30 - 25 = 5: straight back towards the origin, factor 10/6 limited to 0.2.
        {"pulled back", {6, 8, 0}, 25, {6 - 0.6f * 0.24f, 8 - 0.8f * 0.24f, 0}},
        // Far out the factor 10/2000 is raised to 0.01: a step of 0.012.
        {"far away", {0, 0, 2000}, 0, {0, 0, 2000 - 0.012f}},
    };
    for (const auto& c : cases) {
        AnimationHandler animation;
        const auto object = flyer(c.start, c.radiusOffset);
        animation.objects = {object};
        animation.update();
        SCOPED_TRACE(c.name);
        expectNear(object->position, c.expected);
        expectNear(glm::vec3(object->model[3]), c.expected);
        // The box moves with the object and keeps its size.
        expectNear(object->boundingBox.center, c.expected);
        expectNear(object->boundingBox.min, c.expected - 0.5f);
        expectNear(object->boundingBox.max, c.expected + 0.5f);
    }
}

TEST(Animation, ShrinksAboveSeventyAndRespawnsAboveSeventyFive)
{
    AnimationHandler animation;
    const auto object = flyer({0, 72, 0}, 0);
    object->model = object->model * glm::scale(glm::mat4(1.0f), glm::vec3(2.0f));  // its own size at the start
    object->initialModel = object->model;
    animation.objects = {object};

    animation.update();
    EXPECT_NEAR(glm::length(glm::vec3(object->model[0])), 2.0f * 0.9f, 1e-5f) << "scaled by (90 - 72) / 20";
    const float first = glm::length(glm::vec3(object->model[0]));
    animation.update();
    const float second = glm::length(glm::vec3(object->model[0]));
    EXPECT_LT(second / first, 0.9f) << "the scale compounds, a little smaller each frame";

    int frames = 0;
    while (object->position.y > 72.0f && frames++ < 1000)
        animation.update();
    ASSERT_LT(frames, 1000) << "it passed 75 and started again";
    EXPECT_EQ(object->model, object->initialModel);
    EXPECT_EQ(object->position, glm::vec3(0, 72, 0));
    EXPECT_EQ(object->boundingBox.center, glm::vec3(0, 72, 0));
    EXPECT_EQ(object->boundingBox.min, glm::vec3(-0.5f, 71.5f, -0.5f));
}

TEST(Animation, InitRemembersTheStartAndDrawsWholeOrbitOffsets)
{
    AnimationHandler animation;
    for (int i = 0; i < 50; ++i)
        animation.objects.push_back(flyer({float(i), 10, 0}, -1));
    animation.objects[3]->initialModel = glm::mat4(0.0f);
    animation.init();
    for (const auto& object : animation.objects) {
        EXPECT_EQ(object->initialModel, object->model);
        EXPECT_EQ(object->initialPosition, object->position);
        EXPECT_GE(object->radiusOffset, 0.0f);
        EXPECT_LE(object->radiusOffset, 29.0f);
        EXPECT_EQ(object->radiusOffset, std::floor(object->radiusOffset));
    }
}

}  // namespace
