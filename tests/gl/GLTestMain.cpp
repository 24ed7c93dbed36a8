#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "TestApplication.h"

qm::SDLGLApplication& testApplication()
{
    static const auto application = [] {
        auto created = std::make_unique<qm::SDLGLApplication>();
        if (!created->initialised()) {
            ADD_FAILURE() << "no offscreen GL context";
            std::abort();
        }
        return created;
    }();
    return *application;
}

int main(int argc, char** argv)
{
    // No display and no sound card: EGL on Mesa's software renderer, silent audio.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
