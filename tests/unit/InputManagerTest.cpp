#include <gtest/gtest.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "InputManager.h"

namespace {

using qm::InputManager;

// A command runs only when called with its own kind of arguments; an empty
// callable or an unbound id does nothing; binding a taken id replaces the
// command, of whichever kind.
TEST(InputManager, ExecutesOnlyTheLastBoundCommandOfTheMatchingKind)
{
    InputManager input;
    int plain = 0;
    std::vector<std::pair<int, int>> pairs;
    input.bindCommand(0, [&] { ++plain; });
    input.bindCommand(1, [&](int a, int b) { pairs.emplace_back(a, b); });
    input.bindCommand(2, std::function<void()>{});
    input.bindCommand(3, std::function<void(int, int)>{});

    input.execute(0);
    input.execute(0, 5, 6);  // wrong kind
    input.execute(1);        // wrong kind
    input.execute(1, 3, 4);
    input.execute(42);       // no command
    input.execute(42, 1, 1);
    EXPECT_NO_THROW(input.execute(2));
    EXPECT_NO_THROW(input.execute(3, 2, 3));
    EXPECT_EQ(plain, 1);
    EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{3, 4}}));

    input.bindCommand(0, [&] { plain += 10; });
    input.execute(0);
    EXPECT_EQ(plain, 11);
    input.bindCommand(0, [&](int a, int b) { pairs.emplace_back(a, b); });
    input.execute(0);
    input.execute(0, 9, 0);
    EXPECT_EQ(plain, 11);
    EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{3, 4}, {9, 0}}));
}

TEST(InputManager, HeldKeysFireOncePerScanInFixedOrder)
{
    InputManager input;
    std::vector<int> fired;
    for (int id = 0; id <= 11; ++id)
        input.bindCommand(id, [&fired, id] { fired.push_back(id); });

    const struct {
        std::vector<SDL_Scancode> down;
        std::vector<int> expected;
    } cases[] = {
        {{}, {}},
        {{SDL_SCANCODE_W}, {2}},
        {{SDL_SCANCODE_S, SDL_SCANCODE_W}, {2, 3}},
        {{SDL_SCANCODE_4, SDL_SCANCODE_3, SDL_SCANCODE_2, SDL_SCANCODE_1, SDL_SCANCODE_D, SDL_SCANCODE_A,
          SDL_SCANCODE_S, SDL_SCANCODE_W},
         {2, 3, 5, 6, 8, 7, 10, 9}},
        // Escape and M are event keys, never held-key commands.
        {{SDL_SCANCODE_ESCAPE, SDL_SCANCODE_M, SDL_SCANCODE_UP}, {}},
    };
    for (const auto& c : cases) {
        std::array<std::uint8_t, SDL_NUM_SCANCODES> state{};
        for (SDL_Scancode key : c.down)
            state[key] = 1;
        fired.clear();
        input.processHeldKeys(state.data());
        EXPECT_EQ(fired, c.expected);
    }
}

// Events from SDL's queue: Home and H return to the start view, Space and the
// brackets drive the model's animation, F5 reloads (once however long it is
// held), a dropped file reaches the handler with its path, and nothing else does.
TEST(InputManager, EventsReachTheirCommandsAndTheDropHandler)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    InputManager input;
    std::vector<int> fired;
    for (int id : {0, 11, 12, 13, 14, 15, 16})
        input.bindCommand(id, [&fired, id] { fired.push_back(id); });
    std::vector<std::string> dropped;
    input.fileDropped = [&](const std::string& file) { dropped.push_back(file); };
    // What is taken first (by an on-screen panel) reaches no command.
    input.eventTaken = [](const SDL_Event& e) { return e.type == SDL_KEYDOWN && e.key.keysym.sym == SDLK_m; };

    SDL_Event drop{};
    drop.type = SDL_DROPFILE;
    drop.drop.file = SDL_strdup("/models/duck.fbx");  // the handler's to free, as SDL's own are
    SDL_PushEvent(&drop);
    // Each key pressed, and Space and F5 also held down (repeated): once is enough.
    const std::pair<SDL_Keycode, Uint8> keys[] = {
        {SDLK_HOME, 0}, {SDLK_h, 0}, {SDLK_m, 0}, {SDLK_SPACE, 0}, {SDLK_SPACE, 1}, {SDLK_RIGHTBRACKET, 0},
        {SDLK_LEFTBRACKET, 0}, {SDLK_F5, 0}, {SDLK_F5, 1}, {SDLK_z, 0}, {SDLK_ESCAPE, 0}};
    for (const auto& [code, repeat] : keys) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = code;
        event.key.repeat = repeat;
        SDL_PushEvent(&event);
    }
    input.processEvents();

    EXPECT_EQ(fired, (std::vector<int>{12, 12, 13, 15, 14, 16, 0}));
    EXPECT_EQ(dropped, std::vector<std::string>{"/models/duck.fbx"});
    SDL_Quit();
}

}  // namespace
