#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <string>
#include <vector>

#include "FileWatch.h"
#include "ModelMotion.h"
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

// Records which commands the events fire, with their arguments.
struct RecordingInput : qm::InputManager {
    std::vector<std::string> fired;

    RecordingInput()
    {
        for (int id : {0, 11})
            bindCommand(id, [this, id] { fired.push_back(std::to_string(id)); });
        for (int id : {1, 4})
            bindCommand(id, [this, id](int a, int b) {
                fired.push_back(std::to_string(id) + "(" + std::to_string(a) + "," + std::to_string(b) + ")");
            });
    }
};

TEST(InputEvents, EventsFireTheirCommandsInQueueOrder)
{
    testApplication();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    RecordingInput input;

    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_Event resized{};
    resized.type = SDL_WINDOWEVENT;
    resized.window.event = SDL_WINDOWEVENT_RESIZED;
    resized.window.data1 = 800;
    resized.window.data2 = 600;
    SDL_Event moved = resized;
    moved.window.event = SDL_WINDOWEVENT_MOVED;

    pushEvent(keyDown(SDLK_m));
    pushEvent(keyDown(SDLK_w));  // held keys are read from the keyboard state, not events
    pushEvent(resized);
    pushEvent(moved);
    pushEvent(keyDown(SDLK_ESCAPE));
    pushEvent(quit);
    input.processEvents();

    EXPECT_EQ(input.fired, (std::vector<std::string>{"11", "1(800,600)", "0", "0"}));
    SDL_Event left;
    EXPECT_EQ(SDL_PollEvent(&left), 0) << "the queue is drained";
}

TEST(InputEvents, MouseMotionIsReadFromTheAccumulatorNotTheEvent)
{
    testApplication();
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_GetRelativeMouseState(nullptr, nullptr);

    // Synthetic events carry motion of their own but put none into SDL's
    // accumulator, so each turns the camera by nothing.
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.xrel = 100;
    motion.motion.yrel = -50;
    pushEvent(motion);
    pushEvent(motion);

    RecordingInput input;
    input.processEvents();
    EXPECT_EQ(input.fired, (std::vector<std::string>{"4(0,0)", "4(0,0)"}));
}

// Counts frames and asks nothing of GL.
struct CountingRenderer : qm::Renderer {
    int frames = 0;
    void render() override { ++frames; }
};

TEST(Application, EscapeEndsTheLoopAfterFinishingThatFrame)
{
    qm::SDLGLApplication& application = testApplication();
    auto renderer = std::make_shared<CountingRenderer>();
    auto scene = std::make_shared<qm::Scene>();
    renderer->setScene(scene);
    application.setRenderer(renderer);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);

    pushEvent(keyDown(SDLK_ESCAPE));
    application.run();

    EXPECT_EQ(renderer->frames, 1);
    const std::string title = SDL_GetWindowTitle(SDL_GL_GetCurrentWindow());
    EXPECT_TRUE(std::regex_match(title, std::regex(R"(Quillmoor - \d+\.\d{6})"))) << title;
    EXPECT_EQ(scene.use_count(), 2) << "the commands share the camera, not the scene";
    EXPECT_EQ(scene->camera.use_count(), 1 + 9) << "nine camera commands hold the camera";
}

// A dropped file that opens replaces the scene, with its start view on Home;
// one that does not keeps the current scene.
TEST(Application, DroppedFilesReplaceTheSceneWhenTheyOpen)
{
    qm::SDLGLApplication& application = testApplication();
    auto renderer = std::make_shared<CountingRenderer>();
    const auto first = std::make_shared<qm::Scene>();
    renderer->setScene(first);
    application.setRenderer(renderer);
    const auto opened = std::make_shared<qm::Scene>();
    opened->startView = qm::Framing{{1.0f, 2.0f, 3.0f}, -120.0f, -20.0f, 0.5f, 4.0f};
    std::vector<std::string> asked;
    application.openModelFile = [&](const std::string& file, const qm::Log&) {
        asked.push_back(file);
        return file == "good.glb" ? opened : nullptr;
    };
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);

    for (const char* file : {"bad.obj", "good.glb"}) {
        SDL_Event drop{};
        drop.type = SDL_DROPFILE;
        drop.drop.file = SDL_strdup(file);
        pushEvent(drop);
    }
    pushEvent(keyDown(SDLK_w));  // nothing: W is a held key
    pushEvent(keyDown(SDLK_HOME));
    pushEvent(keyDown(SDLK_ESCAPE));
    opened->camera->position = glm::vec3(50.0f);
    application.run();
    application.openModelFile = nullptr;
    EXPECT_EQ(application.modelFile, "good.glb") << "F5 now reloads the dropped file";
    application.modelFile.clear();

    EXPECT_EQ(asked, (std::vector<std::string>{"bad.obj", "good.glb"}));
    EXPECT_EQ(renderer->getScene(), opened);
    EXPECT_EQ(opened->camera->position, glm::vec3(1.0f, 2.0f, 3.0f)) << "Home returns to the start view";
    EXPECT_FLOAT_EQ(opened->camera->yaw, -120.0f);
}

// Space pauses the model's clip and the brackets step through its clips,
// each named on the console; the clock moves only while it plays.
TEST(Application, PlaybackKeysDriveTheModelsClips)
{
    qm::SDLGLApplication& application = testApplication();
    auto renderer = std::make_shared<CountingRenderer>();
    const auto scene = std::make_shared<qm::Scene>();
    scene->motion = std::make_shared<qm::ModelMotion>();
    scene->motion->clips = {{"walk", 2.0f, {}, {}}, {"run", 1.0f, {}, {}}};
    scene->motion->select(std::size_t(0));
    renderer->setScene(scene);
    application.setRenderer(renderer);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    for (const SDL_Keycode key : {SDLK_RIGHTBRACKET, SDLK_RIGHTBRACKET, SDLK_LEFTBRACKET, SDLK_SPACE, SDLK_ESCAPE})
        pushEvent(keyDown(key));
    testing::internal::CaptureStdout();
    application.run();
    const std::string console = testing::internal::GetCapturedStdout();
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

// F5 reopens the model file and keeps the view and the clip, saying one
// line (the import's progress held back); a reload that fails keeps the
// scene. With the watch on, a change to one of the scene's files, made
// while the viewer runs, reloads it without a key.
TEST(Application, ReloadsKeepTheViewAndSurviveFailures)
{
    qm::SDLGLApplication& application = testApplication();
    auto renderer = std::make_shared<CountingRenderer>();
    const auto first = std::make_shared<qm::Scene>();
    qm::placeCamera(*first->camera, {5.0f, 6.0f, 7.0f}, 10.0f, -5.0f);
    const std::filesystem::path picture =
        std::filesystem::temp_directory_path() / ("qm-reload-" + std::to_string(::getpid()) + ".png");
    std::ofstream(picture) << "first";
    // Written long before any open began, so that only the change below counts.
    std::filesystem::last_write_time(picture, std::filesystem::last_write_time(picture) - std::chrono::hours(1));
    first->sourceFiles = {picture.string()};
    renderer->setScene(first);
    application.setRenderer(renderer);
    application.modelFile = "/models/tower.obj";
    bool opens = false;
    std::atomic<int> asked = 0;
    application.openModelFile = [&](const std::string& file, const qm::Log& log) {
        EXPECT_EQ(file, "/models/tower.obj");
        ++asked;
        *log.progress << "Reading " << file << " ..." << std::endl;
        std::shared_ptr<qm::Scene> scene;
        if (opens) {
            scene = std::make_shared<qm::Scene>();
            scene->sourceFiles = {picture.string()};
        }
        return scene;
    };
    const auto reloadWith = [&](std::vector<SDL_Keycode> keys) {
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        for (const SDL_Keycode key : keys)
            pushEvent(keyDown(key));
        testing::internal::CaptureStdout();
        application.run();
        return testing::internal::GetCapturedStdout();
    };

    EXPECT_EQ(reloadWith({SDLK_F5, SDLK_ESCAPE}), "Could not reload /models/tower.obj; keeping the current scene.\n");
    EXPECT_EQ(renderer->getScene(), first);

    opens = true;
    const std::string console = reloadWith({SDLK_F5, SDLK_ESCAPE});
    EXPECT_TRUE(std::regex_match(console, std::regex("Reloaded /models/tower.obj in \\d+ ms.\n"))) << console;
    const std::shared_ptr<qm::Scene> reloaded = renderer->getScene();
    ASSERT_NE(reloaded, first);
    EXPECT_EQ(reloaded->camera->position, glm::vec3(5.0f, 6.0f, 7.0f));
    EXPECT_EQ(reloaded->camera->yaw, 10.0f);

    // Changed a little after the loop starts; ended half a second after the
    // reload, or after 20 s without one.
    application.watchModel = true;
    application.openedAt = qm::FileWatch::now();
    const auto later = [](Uint32, void* file) -> Uint32 {
        std::ofstream(*static_cast<std::filesystem::path*>(file)) << "second, longer";
        return 0;
    };
    struct Ending {
        std::atomic<int>* asked;
        int ticks = 0;
        int afterReload = 0;
    } ending{&asked};
    const auto escape = [](Uint32 interval, void* state) -> Uint32 {
        auto& e = *static_cast<Ending*>(state);
        ++e.ticks;
        if (*e.asked > 0)
            ++e.afterReload;
        if (e.afterReload < 5 && e.ticks < 200)
            return interval;
        pushEvent(keyDown(SDLK_ESCAPE));
        return 0;
    };
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    asked = 0;
    const SDL_TimerID change = SDL_AddTimer(300, later, const_cast<std::filesystem::path*>(&picture));
    const SDL_TimerID end = SDL_AddTimer(100, escape, &ending);
    testing::internal::CaptureStdout();
    application.run();
    testing::internal::GetCapturedStdout();
    SDL_RemoveTimer(change);
    SDL_RemoveTimer(end);
    EXPECT_EQ(asked, 1) << "one reload for one change";
    EXPECT_NE(renderer->getScene(), reloaded);

    application.watchModel = false;
    application.modelFile.clear();
    application.openModelFile = nullptr;
    std::filesystem::remove(picture);
}

}  // namespace
