#include "SDLGLApplication.h"

#include <GL/glew.h>

#include <algorithm>
#include <ctime>
#include <iostream>
#include <string>
#include <utility>

#include "FolderFiles.h"
#include "FrameRateTitle.h"
#include "ModelMotion.h"
#include "Scene.h"
#include "Screenshot.h"
#include "ViewPicture.h"

namespace qm {

namespace {

void reportSdlFailure(const char* what)
{
    std::cerr << what << " failed: " << SDL_GetError() << std::endl;
}

}  // namespace

SDLGLApplication::SDLGLApplication(WindowSettings windowSettings) : settings(windowSettings)
{
    width = settings.width;
    height = settings.height;
    input = std::make_shared<InputManager>();
    init();
}

void SDLGLApplication::init()
{
    // A machine without any audio driver must still show the scene: retry
    // without audio, and the mixer below then reports the sound issue. A
    // headless picture starts neither sound nor a display.
    if (settings.headless)
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
    if ((settings.headless || SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO) != 0) &&
        SDL_Init(SDL_INIT_TIMER | SDL_INIT_VIDEO) != 0) {
        reportSdlFailure("SDL initialisation");
        return;
    }
    // Without a display SDL falls back to a driver that shows nothing; a
    // viewer running there unseen is of no use unless that driver was asked for.
    const std::string driver = SDL_GetCurrentVideoDriver();
    if ((driver == "offscreen" || driver == "dummy") && !SDL_GetHint(SDL_HINT_VIDEODRIVER)) {
        std::cerr << "SDL initialisation failed: no display found (only the " << driver
                  << " video driver could start)" << std::endl;
        return;
    }

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 2);

    window = SDL_CreateWindow("Quillmoor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | (settings.fullscreen ? SDL_WINDOW_FULLSCREEN : 0));
    if (!window) {
        reportSdlFailure("Window creation");
        return;
    }
    context = SDL_GL_CreateContext(window);
    if (!context) {
        reportSdlFailure("OpenGL context creation");
        return;
    }
    SDL_GL_MakeCurrent(window, context);
    SDL_GL_SetSwapInterval(1);
    // Under EGL glewInit complains about GLX yet loads every entry point.
    glewExperimental = GL_TRUE;
    glewInit();
    if (settings.headless)
        return;  // no mouse to capture, no music to play
    SDL_SetRelativeMouseMode(SDL_TRUE);

    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 4096) == -1)
        std::cerr << "Sound issue." << std::endl;
    music = Mix_LoadMUS((settings.dataRoot / "QM/Lullwave.mp3").c_str());
    if (!music)
        std::cerr << "Sound file loading issue: " << SDL_GetError() << std::endl;
}

void SDLGLApplication::run()
{
    running = true;
    showPlace();
    bindCommands();
    if (animation)
        animation->init();
    Mix_PlayMusic(music, 0);
    watchFiles();

    Uint32 last = SDL_GetTicks();
    while (running) {
        const Uint32 start = SDL_GetTicks();
        const float seconds = float(start - last) / 1000.0f;
        last = start;
        input->processHeldKeys();
        input->processEvents();
        if (watchModel && start - lastLook >= lookInterval) {
            lastLook = start;
            reloadWanted = watch.changed() || reloadWanted;
        }
        if (std::exchange(reloadWanted, false))
            reloadScene();
        if (const int steps = std::exchange(stepWanted, 0))
            stepFile(steps);
        if (animation)
            animation->update();
        if (orbit && !flying && renderer && renderer->getScene() && orbit->advance(seconds))
            orbit->apply(*renderer->getScene()->camera);
        // A model's clip plays in real time, however fast the frames come;
        // a long wait (a dropped file being read) does not jump it ahead.
        if (renderer && renderer->getScene() && renderer->getScene()->motion)
            renderer->getScene()->motion->advance(std::min(seconds, 0.1f));
        if (renderer)
            renderer->render();
        if (std::exchange(viewWanted, false))
            saveView();
        if (const std::optional<glm::ivec2> pick = std::exchange(pickWanted, std::nullopt))
            pivotOnSurface(*pick);
        if (overlay)
            overlay->draw(seconds, gpuTime ? gpuTime->seconds() : std::nullopt, flying,
                          renderer ? renderer->getScene().get() : nullptr);
        SDL_GL_SwapWindow(window);
        const Uint32 end = SDL_GetTicks();
        SDL_SetWindowTitle(window, (frameRateTitle(end - start) + placeTitle).c_str());
    }
}

void SDLGLApplication::renderFrames(int frames, bool holdPose, bool withOverlay)
{
    if (animation)
        animation->init(0);
    ModelMotion* motion = renderer && renderer->getScene() ? renderer->getScene()->motion.get() : nullptr;
    for (int frame = 0; frame < frames; ++frame) {
        if (frame > 0)
            SDL_GL_SwapWindow(window);
        if (motion && frame > 0 && !holdPose)
            motion->advance(fixedStep);
        if (animation)
            animation->update();
        if (renderer)
            renderer->render();
    }
    if (withOverlay && renderer && renderer->getScene()) {
        if (!overlay)
            overlay = std::make_unique<Overlay>(width, height);
        overlay->infoShown = true;
        overlay->draw(fixedStep, std::nullopt, false, renderer->getScene().get());
    }
    glFinish();
}

void SDLGLApplication::quit()
{
    running = false;
}

void SDLGLApplication::showWindow()
{
    SDL_ShowWindow(window);
}

void SDLGLApplication::bindCommands()
{
    input->bindCommand(0, [this] { quit(); });
    input->bindCommand(1, [this](int newWidth, int newHeight) { onResize(newWidth, newHeight); });

    // The camera commands share the camera, so it lives as long as they do.
    if (renderer && renderer->getScene()) {
        // Walking and looking are the fly camera's; an opened model starts in the orbit camera.
        const std::shared_ptr<Camera> camera = renderer->getScene()->camera;
        const auto walk = [this, camera](MOVE_CAM direction) {
            return [this, camera, direction] {
                if (flying)
                    camera->move(direction);
            };
        };
        input->bindCommand(2, walk(FORWARD));
        input->bindCommand(3, walk(BACKWARD));
        input->bindCommand(4, [this, camera](int pitchDelta, int yawDelta) {
            if (flying)
                camera->look(static_cast<float>(pitchDelta), static_cast<float>(yawDelta));
        });
        input->bindCommand(5, walk(LEFT));
        input->bindCommand(6, walk(RIGHT));
        input->bindCommand(7, [camera] { camera->increaseExposure(); });
        input->bindCommand(8, [camera] { camera->decreaseExposure(); });
        input->bindCommand(9, [camera] { camera->increaseFocus(); });
        input->bindCommand(10, [camera] { camera->decreaseFocus(); });
    }

    input->bindCommand(11, [this] { playMusic(); });

    bindInspection();
    if (renderer && renderer->getScene() && renderer->getScene()->motion) {
        const std::shared_ptr<ModelMotion> motion = renderer->getScene()->motion;
        input->bindCommand(13, [motion] {
            motion->paused = !motion->paused;
            std::cout << (motion->paused ? "Paused at " : "Playing from ") << motion->time() << " s." << std::endl;
        });
        input->bindCommand(14, [motion] {
            motion->step(-1);
            std::cout << motion->clipLine() << std::endl;
        });
        input->bindCommand(15, [motion] {
            motion->step(1);
            std::cout << motion->clipLine() << std::endl;
        });
    } else {
        for (const int id : {13, 14, 15})
            input->commands.erase(id);
    }
    if (openModelFile) {
        input->fileDropped = [this](const std::string& file) { openDroppedFile(file); };
        input->bindCommand(16, [this] { reloadWanted = true; });
    }
}

void SDLGLApplication::bindInspection()
{
    // The moor has no framed view: it keeps its fly camera, and these keys
    // and buttons do nothing there.
    const std::shared_ptr<Scene> scene = renderer ? renderer->getScene() : nullptr;
    if (!scene || !scene->startView) {
        orbit.reset();
        flying = true;
        for (const int id : {12, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35})
            input->commands.erase(id);
        input->eventTaken = nullptr;
        return;
    }
    // The timeline shows from the start; the rest when asked for.
    if (!overlay)
        overlay = std::make_unique<Overlay>(width, height);
    input->eventTaken = [this](const SDL_Event& event) { return !flying && overlay->take(event); };
    const std::shared_ptr<Camera> camera = scene->camera;
    orbit = std::make_unique<OrbitControl>(*scene->startView, rotation);
    fileView = -1;
    // A reload keeps the view the camera has.
    orbit->takeOver(*camera);
    setFlying(false);
    const auto orbiting = [this](auto&& act) {
        return [this, act] {
            if (!flying)
                act(*orbit);
        };
    };
    input->bindCommand(12, orbiting([this, scene](OrbitControl& o) { frameWhole(o, *scene); }));
    input->bindCommand(17, [this](int dx, int dy) {
        if (!flying)
            orbit->turn(float(dx), float(dy));
    });
    input->bindCommand(18, [this, camera](int dx, int dy) {
        if (!flying)
            orbit->pan(*camera, float(dx), float(dy), float(height));
    });
    input->bindCommand(19, [this, camera](int steps, int x, int y) {
        if (!flying)
            orbit->zoom(*camera, float(steps), 2.0f * float(x) / float(width) - 1.0f, 1.0f - 2.0f * float(y) / float(height));
    });
    input->bindCommand(20, [this, camera] {
        if (flying)
            orbit->takeOver(*camera);
        setFlying(!flying);
    });
    input->bindCommand(28, [this](int x, int y) { pickWanted = glm::ivec2(x, y); });
    input->bindCommand(29, [this] { overlay->helpShown = !overlay->helpShown; });
    input->bindCommand(30, [this] {
        overlay->infoShown = !overlay->infoShown;
        // The GPU's time is measured only while the panel shows it.
        gpuTime = overlay->infoShown ? std::make_unique<GpuFrameTime>() : nullptr;
        renderer->profiler = gpuTime.get();
    });
    input->bindCommand(32, [scene] { scene->guides->grid = !scene->guides->grid; });
    input->bindCommand(33, [scene] { scene->guides->axes = !scene->guides->axes; });
    input->bindCommand(34, orbiting([this, scene](OrbitControl& o) { nextFileView(o, *scene); }));
    input->bindCommand(35, [scene] {
        MaterialVariants& variants = scene->variants;
        variants.step();
        std::cout << (variants.names.empty() ? "The file has no material variants." : variants.line()) << std::endl;
    });
    input->bindCommand(25, [this] { stepWanted = 1; });
    input->bindCommand(26, [this] { stepWanted = -1; });
    input->bindCommand(27, [this] { viewWanted = true; });
    input->bindCommand(21, orbiting([](OrbitControl& o) { o.lookFrom(OrbitControl::Side::Front); }));
    input->bindCommand(22, orbiting([](OrbitControl& o) { o.lookFrom(OrbitControl::Side::Right); }));
    input->bindCommand(23, orbiting([](OrbitControl& o) { o.lookFrom(OrbitControl::Side::Top); }));
    input->bindCommand(24, orbiting([](OrbitControl& o) { o.lookFrom(OrbitControl::Side::Opposite); }));
    input->bindCommand(31, orbiting([camera](OrbitControl& o) {
        camera->orthographic = !camera->orthographic;
        o.apply(*camera);
    }));
}

void SDLGLApplication::frameWhole(OrbitControl& control, const Scene& scene)
{
    // With the field of view it was framed for, whatever file camera came before.
    if (scene.startView)
        scene.camera->fov = scene.startView->fovDegrees;
    scene.camera->updateProjection();
    control.frame();
    fileView = -1;
}

void SDLGLApplication::nextFileView(OrbitControl& control, const Scene& scene)
{
    const std::vector<FileView>& views = scene.fileViews;
    if (views.empty()) {
        std::cout << "The file has no cameras." << std::endl;
        return;
    }
    // After the last, the framed view; then the first again.
    fileView = fileView + 1 < int(views.size()) ? fileView + 1 : -1;
    if (fileView < 0) {
        frameWhole(control, scene);
        std::cout << "The whole model framed." << std::endl;
        return;
    }
    Camera& camera = *scene.camera;
    const FileView& view = views[std::size_t(fileView)];
    if (view.fovDegrees > 0.0f)
        camera.fov = view.fovDegrees;
    camera.updateProjection();
    control.lookAlong(view);
    std::cout << "Camera " << fileView + 1 << " of " << views.size() << ": \"" << view.name << "\"" << std::endl;
}

void SDLGLApplication::showPlace()
{
    const std::optional<FolderPlace> place = modelFile.empty() ? std::nullopt : placeInFolder(modelFile);
    placeTitle = place ? " - " + describePlace(*place) : "";
}

void SDLGLApplication::setFlying(bool fly)
{
    flying = fly;
    // Walking needs depth to be seen.
    const Scene* scene = renderer ? renderer->getScene().get() : nullptr;
    if (fly && scene && scene->camera->orthographic) {
        scene->camera->orthographic = false;
        scene->camera->updateProjection();
    }
    // The fly camera turns with the mouse's every move; the orbit camera
    // only while a button is held, with the pointer free.
    if (!settings.headless)
        SDL_SetRelativeMouseMode(fly ? SDL_TRUE : SDL_FALSE);
}

void SDLGLApplication::openDroppedFile(const std::string& file)
{
    std::cout << "Opening the dropped file " << file << std::endl;
    if (!openFile(file))
        std::cout << "Keeping the current scene." << std::endl;
}

bool SDLGLApplication::openFile(const std::string& file)
{
    const std::int64_t started = FileWatch::now();
    std::shared_ptr<Scene> scene = openModelFile(file, Log{});
    if (!scene)
        return false;
    if (scene->motion)
        std::cout << scene->motion->clipLine() << std::endl;
    modelFile = file;
    openedAt = started;
    showScene(std::move(scene));
    return true;
}

void SDLGLApplication::stepFile(int steps)
{
    if (modelFile.empty() || !openModelFile)
        return;
    // A file that cannot be read has been named by the import; the next one
    // is tried, once round the folder at most.
    std::optional<FolderPlace> place = stepInFolder(modelFile, steps);
    for (std::size_t tried = 0; place && place->file != modelFile && tried < place->count; ++tried) {
        std::cout << "Opening " << describePlace(*place) << std::endl;
        if (openFile(place->file))
            return;
        place = stepInFolder(place->file, steps);
    }
}

void SDLGLApplication::pivotOnSurface(const glm::ivec2& pixel)
{
    if (!orbit || flying || !renderer || !renderer->getScene())
        return;
    const Camera& camera = *renderer->getScene()->camera;
    if (const std::optional<glm::vec3> seen = renderer->surfaceAt(pixel.x, pixel.y))
        orbit->pivotOn(glm::vec3(glm::inverse(camera.getViewMatrix()) * glm::vec4(*seen, 1.0f)));
    else
        orbit->frame();
}

void SDLGLApplication::saveView()
{
    const std::string path = viewPicturePath(modelFile, std::time(nullptr));
    if (path.empty())
        std::cerr << "There is no folder to save the view in: HOME is not set." << std::endl;
    else if (writeScreenshot(path, width, height))
        std::cout << "Saved the view as " << path << std::endl;
}

void SDLGLApplication::reloadScene()
{
    if (modelFile.empty() || !openModelFile || !renderer || !renderer->getScene())
        return;  // the moor is not reloaded
    const Uint32 start = SDL_GetTicks();
    const std::int64_t started = FileWatch::now();
    // A reload says one line, the import's progress having been shown at
    // the first open; its warnings still show.
    std::ostream nowhere(nullptr);
    const std::shared_ptr<Scene> scene = openModelFile(modelFile, Log{&nowhere, &std::cerr});
    if (!scene) {
        // The file is likely still being written: the next change tries again.
        std::cout << "Could not reload " << modelFile << "; keeping the current scene." << std::endl;
        return;
    }
    const Scene& previous = *renderer->getScene();
    keepView(*scene->camera, *previous.camera);
    if (scene->motion && previous.motion)
        scene->motion->continueFrom(*previous.motion);
    openedAt = started;
    showScene(std::move(scene));
    std::cout << "Reloaded " << modelFile << " in " << SDL_GetTicks() - start << " ms." << std::endl;
}

void SDLGLApplication::showScene(std::shared_ptr<Scene> scene)
{
    // The grid and axes stay as the user set them, from file to file.
    const Scene* previous = renderer->getScene().get();
    if (previous && previous->guides && scene->guides) {
        scene->guides->grid = previous->guides->grid;
        scene->guides->axes = previous->guides->axes;
    }
    showPlace();
    animation.reset();
    renderer->setScene(std::move(scene));
    bindCommands();
    watchFiles();
}

void SDLGLApplication::watchFiles()
{
    const Scene* scene = renderer ? renderer->getScene().get() : nullptr;
    if (!watchModel || modelFile.empty() || !scene)
        return;
    std::vector<std::string> files = scene->sourceFiles;
    files.push_back(modelFile);
    watch = FileWatch(std::move(files), openedAt);
}

void SDLGLApplication::onResize(int, int)
{
    // The window is not resizable and the render targets keep their size.
}

void SDLGLApplication::playMusic()
{
    Mix_PlayMusic(music, 0);
}

}  // namespace qm
