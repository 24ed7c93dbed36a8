#pragma once

#include <memory>
#include <vector>

#include "SceneObject.h"

namespace qm {

// Moves the glimmets and the lights' placements every frame: each circles
// the vertical axis while it climbs, is pulled back when it strays beyond its
// orbit, shrinks near its ceiling and starts again from its first place once
// above height 75. Motion is per frame, not scaled by time.
class AnimationHandler {
public:
    // Seeds the random generator from the calendar clock and remembers every
    // object's starting place; draws each one's orbit shrink (0 to 29).
    void init();
    // The same from a given seed, for pictures that come out the same every time.
    void init(unsigned seed);
    // One step for every object, its box moving with it.
    void update();

    std::vector<std::shared_ptr<SceneObject>> objects;
};

}  // namespace qm
