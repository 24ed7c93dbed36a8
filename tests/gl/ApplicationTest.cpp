#include <gtest/gtest.h>

#include <SDL.h>

#include <initializer_list>
#include <regex>
#include <string>
#include <vector>

#include "ModelMotion.h"
#include "NearVector.h"
#include "Scene.h"
#include "TestApplication.h"

namespace {

void pushEvent(SDL_Event event)
{
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

SDL_Event keyDown(SDL_Keycode key)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
    return event;
}

// What only a window brings (the keys and drops are the unit tests'): a
// resize (a move is nothing), the close request, the wheel, and mouse
// motion, whose amount comes from SDL's accumulator, not the event
// (synthetic events put nothing there, so the camera turns by nothing);
// with the left button held it also turns the orbit camera, with the right
// one it pans.
TEST(InputEvents, WindowEventsAndMotionFireTheirCommandsInQueueOrder)
{
    testApplication();
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_GetRelativeMouseState(nullptr, nullptr);
    SDL_Event resized{};
    resized.type = SDL_WINDOWEVENT;
    resized.window.event = SDL_WINDOWEVENT_RESIZED;
    resized.window.data1 = 800;
    resized.window.data2 = 600;
    SDL_Event moved = resized;
    moved.window.event = SDL_WINDOWEVENT_MOVED;
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.xrel = 100;
    motion.motion.yrel = -50;
    SDL_Event turning = motion;
    turning.motion.state = SDL_BUTTON_LMASK;
    SDL_Event panning = motion;
    panning.motion.state = SDL_BUTTON_RMASK;
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 2;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    // W is held, read from the keyboard state: its event fires nothing.
    for (const SDL_Event& event : {keyDown(SDLK_w), resized, moved, motion, turning, panning, wheel, quit})
        pushEvent(event);

    qm::InputManager input;
    std::vector<std::string> fired;
    input.bindCommand(0, [&] { fired.push_back("0"); });
    for (int id : {1, 4, 17, 18})
        input.bindCommand(id, [&, id](int a, int b) {
            fired.push_back(std::to_string(id) + "(" + std::to_string(a) + "," + std::to_string(b) + ")");
        });
    input.bindCommand(19, [&](int steps, int, int) { fired.push_back("19(" + std::to_string(steps) + ")"); });
    input.processEvents();
    EXPECT_EQ(fired, (std::vector<std::string>{"1(800,600)", "4(0,0)", "4(0,0)", "17(0,0)", "4(0,0)", "18(0,0)",
                                               "19(2)", "0"}));
}

// Counts frames and asks nothing of GL.
struct CountingRenderer : qm::Renderer {
    int frames = 0;
    void render() override { ++frames; }
};

// The process's application over a counting renderer; what a test sets on
// the application is put back after it.
class Application : public testing::Test {
protected:
    void TearDown() override
    {
        application.openModelFile = nullptr;
        application.modelFile.clear();
    }

    void show(const std::shared_ptr<qm::Scene>& scene)
    {
        renderer->setScene(scene);
        application.setRenderer(renderer);
    }

    // Runs the loop over the events given, the last of them Escape; returns the console.
    std::string run(std::initializer_list<SDL_Event> events)
    {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        for (const SDL_Event& event : events)
            pushEvent(event);
        testing::internal::CaptureStdout();
        application.run();
        return testing::internal::GetCapturedStdout();
    }

    qm::SDLGLApplication& application = testApplication();
    std::shared_ptr<CountingRenderer> renderer = std::make_shared<CountingRenderer>();
};

TEST_F(Application, EscapeEndsTheLoopAfterFinishingThatFrame)
{
    const auto scene = std::make_shared<qm::Scene>();
    show(scene);
    run({keyDown(SDLK_ESCAPE)});

    EXPECT_EQ(renderer->frames, 1);
    const std::string title = SDL_GetWindowTitle(SDL_GL_GetCurrentWindow());
    EXPECT_TRUE(std::regex_match(title, std::regex(R"(Quillmoor - \d+\.\d{6})"))) << title;
    EXPECT_EQ(scene.use_count(), 2) << "the commands share the camera, not the scene";
    EXPECT_EQ(scene->camera.use_count(), 1 + 9) << "nine camera commands hold the camera";
}

// A dropped file that opens replaces the scene, in the orbit camera, whose
// start view Home eases back to; one that does not keeps the current scene.
TEST_F(Application, DroppedFilesReplaceTheSceneWhenTheyOpen)
{
    show(std::make_shared<qm::Scene>());
    const auto opened = std::make_shared<qm::Scene>();
    opened->startView = qm::Framing{{1.0f, 2.0f, 3.0f}, -120.0f, -20.0f, 0.5f, 4.0f};
    opened->camera->position = glm::vec3(50.0f);
    std::vector<std::string> asked;
    application.openModelFile = [&](const std::string& file, const qm::Log&) {
        asked.push_back(file);
        return file == "good.glb" ? opened : nullptr;
    };
    const auto dropped = [](const char* file) {
        SDL_Event drop{};
        drop.type = SDL_DROPFILE;
        drop.drop.file = SDL_strdup(file);
        return drop;
    };
    // Escape a second later, when the view has eased to where Home sends it.
    const auto pressEscape = [](Uint32, void*) -> Uint32 {
        SDL_Event escape = keyDown(SDLK_ESCAPE);
        SDL_PushEvent(&escape);
        return 0;  // once
    };
    const SDL_TimerID escape = SDL_AddTimer(1000, pressEscape, nullptr);
    run({dropped("bad.obj"), dropped("good.glb"), keyDown(SDLK_HOME)});
    SDL_RemoveTimer(escape);

    EXPECT_EQ(asked, (std::vector<std::string>{"bad.obj", "good.glb"}));
    EXPECT_EQ(application.modelFile, "good.glb") << "F5 now reloads the dropped file";
    EXPECT_EQ(renderer->getScene(), opened);
    expectNear(opened->camera->position, {1.0f, 2.0f, 3.0f}, 1e-3f);
    EXPECT_NEAR(opened->camera->yaw, -120.0f, 1e-3f);
}

// Space pauses the model's clip and the brackets step through its clips,
// each named on the console; the clock moves only while it plays.
TEST_F(Application, PlaybackKeysDriveTheModelsClips)
{
    const auto scene = std::make_shared<qm::Scene>();
    scene->motion = std::make_shared<qm::ModelMotion>();
    scene->motion->clips = {{"walk", 2.0f, {}, {}}, {"run", 1.0f, {}, {}}};
    scene->motion->select(std::size_t(0));
    show(scene);
    const std::string console = run({keyDown(SDLK_RIGHTBRACKET), keyDown(SDLK_RIGHTBRACKET),
                                     keyDown(SDLK_LEFTBRACKET), keyDown(SDLK_SPACE), keyDown(SDLK_ESCAPE)});
    EXPECT_NE(console.find("Playing animation 2 of 2: \"run\" (1 s).\nPlaying animation 1 of 2: \"walk\" (2 s).\n"
                           "Playing animation 2 of 2: \"run\" (1 s).\nPaused at "),
              std::string::npos)
        << console;
    EXPECT_EQ(scene->motion->clip(), std::optional<std::size_t>(1));
    EXPECT_TRUE(scene->motion->paused);
    const float time = scene->motion->time();
    scene->motion->advance(0.25f);
    EXPECT_EQ(scene->motion->time(), time);
}

// F5 reopens the model file and keeps the view, saying one line (the
// import's progress held back); a reload that fails keeps the scene.
// Reloads on a change to a watched file are the window test's "watch".
TEST_F(Application, F5ReloadsKeepTheViewAndSurviveFailures)
{
    const auto first = std::make_shared<qm::Scene>();
    qm::placeCamera(*first->camera, {5.0f, 6.0f, 7.0f}, 10.0f, -5.0f);
    show(first);
    application.modelFile = "/models/tower.obj";
    bool opens = false;
    application.openModelFile = [&](const std::string& file, const qm::Log& log) {
        EXPECT_EQ(file, "/models/tower.obj");
        *log.progress << "Reading " << file << " ..." << std::endl;
        return opens ? std::make_shared<qm::Scene>() : nullptr;
    };

    EXPECT_EQ(run({keyDown(SDLK_F5), keyDown(SDLK_ESCAPE)}),
              "Could not reload /models/tower.obj; keeping the current scene.\n");
    EXPECT_EQ(renderer->getScene(), first);

    opens = true;
    const std::string console = run({keyDown(SDLK_F5), keyDown(SDLK_ESCAPE)});
    EXPECT_TRUE(std::regex_match(console, std::regex("Reloaded /models/tower.obj in \\d+ ms.\n"))) << console;
    const std::shared_ptr<qm::Scene> reloaded = renderer->getScene();
    ASSERT_NE(reloaded, first);
    EXPECT_EQ(reloaded->camera->position, glm::vec3(5.0f, 6.0f, 7.0f));
    EXPECT_EQ(reloaded->camera->yaw, 10.0f);
}

}  // namespace
