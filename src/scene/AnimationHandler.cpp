#include "AnimationHandler.h"

#include <cmath>
#include <cstdlib>
#include <ctime>

namespace qm {

void AnimationHandler::init()
{
    init(static_cast<unsigned>(std::time(nullptr)));
}

void AnimationHandler::init(unsigned seed)
{
    std::srand(seed);
    for (const auto& object : objects) {
        object->initialModel = object->model;
        object->initialPosition = object->position;
        object->radiusOffset = static_cast<float>(std::rand() % 30);
    }
}

void AnimationHandler::update()
{
    for (const auto& object : objects) {
        const glm::vec3 p = object->position;
        const float d = std::sqrt(p.x * p.x + p.z * p.z);
        // Slower far from the axis; on the axis 10 / 0 is infinite and takes the upper limit.
        const float f = glm::clamp(10.0f / d, 0.01f, 0.2f);
        const auto step = static_cast<float>(static_cast<double>(f) * 1.2);
        float scale = 1.0f;
        glm::vec3 t(0.0f);
        if (d > 30.0f - object->radiusOffset) {
            t = -p / glm::length(p) * step;  // back towards the origin
        } else {
            // Around the axis and up towards height 90.
            const float climb = 90.0f - p.y;
            const float l = std::sqrt(p.x * p.x + climb * climb + p.z * p.z);
            if (l > 0.0f)
                t = glm::vec3(2.5f * p.z / l * step, climb / l / 2.5f * step, -2.5f * p.x / l * step);
            if (p.y >= 70.0f)
                scale = climb / 20.0f;
        }
        object->model = glm::translate(glm::mat4(1.0f), t) * object->model * glm::scale(glm::mat4(1.0f), glm::vec3(scale));
        object->position = glm::vec3(object->model[3]);
        if (object->position.y > 75.0f) {
            object->model = object->initialModel;
            object->position = glm::vec3(object->model[3]);
        }
        BoundingBox& box = object->boundingBox;
        box.center = object->position;
        box.min = object->position - box.halfExtents;
        box.max = object->position + box.halfExtents;
    }
}

}  // namespace qm
