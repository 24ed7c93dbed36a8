#include "Startup.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>

#include <SDL.h>

#include "CommandLine.h"
#include "FileWatch.h"
#include "GLRenderer.h"
#include "GLResources.h"
#include "ModelMotion.h"
#include "RuntimeData.h"
#include "SDLGLApplication.h"
#include "SceneImport.h"
#include "Screenshot.h"
#include "Settings.h"

namespace qm {

namespace {

constexpr std::uint64_t thumbnailReaderMemory = std::uint64_t(1) << 30;

// A path the user gave, in full: the messages, the cache and the reader's
// process name it so.
std::string absolute(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path made = std::filesystem::absolute(path, error);
    return error ? path : made.string();
}

// The camera's start values the command line sets, over the scene's own.
void applyCameraOptions(Camera& camera, const ViewerOptions& options)
{
    if (options.camera) {
        const auto& [x, y, z, yaw, pitch] = *options.camera;
        placeCamera(camera, {x, y, z}, yaw, pitch);
    }
    if (options.exposure)
        camera.exposure = *options.exposure;
    if (options.focus) {
        // Keys 3 and 4 move both together; the gap between them stays.
        camera.maxDepth += *options.focus - camera.focusDepth;
        camera.focusDepth = *options.focus;
    }
}

UserModel userModel(const ViewerOptions& options, const std::string& path, float aspectRatio)
{
    UserModel model;
    model.path = path;
    model.table = options.table;
    model.environment = options.environment;
    model.upAxis = options.upAxis;
    model.scale = options.scale;
    model.lod = options.lod;
    model.thumbnail = !options.thumbnail.empty();
    model.aspectRatio = aspectRatio;
    return model;
}

// Starts the clip the options name (the first unless they name one), at
// their time, and says which.
void startMotion(ModelMotion& motion, const ViewerOptions& options)
{
    if (options.animation && !motion.choose(*options.animation))
        std::cerr << "The file has no animation \"" << *options.animation << "\"; playing the first." << std::endl;
    if (options.time)
        motion.setTime(*options.time);
    std::cout << motion.clipLine() << std::endl;
}

// Asked while a dropped file is read, with the window's events drained:
// Escape cancels the read; closing the window cancels it and ends the viewer.
bool readStillWanted(SDLGLApplication& window)
{
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            window.quit();
            return false;
        }
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
            return false;
    }
    return true;
}

// The command line over the settings file's defaults for its model.
CommandLine readCommandLine(const std::vector<std::string>& arguments)
{
    CommandLine command = parseCommandLine(arguments);
    const std::string path = settingsPath();
    // A thumbnail looks the same for everyone, whatever their settings.
    if (command.action != CommandLine::Run || !command.options.settings || !command.options.thumbnail.empty() ||
        path.empty())
        return command;
    std::ifstream file(path);
    if (!file)
        return command;  // no settings file: nothing to say
    std::vector<std::string> combined = readSettings(file, path, command.options.model, std::cerr);
    if (combined.empty())
        return command;
    combined.insert(combined.end(), arguments.begin(), arguments.end());
    return parseCommandLine(combined);
}

// The options as the run uses them: a thumbnail as a one-frame square
// screenshot, without simplified levels or a depth of field, which so small
// a picture cannot show; the user's paths in full.
ViewerOptions runOptions(ViewerOptions options)
{
    if (!options.thumbnail.empty()) {
        options.screenshot = options.thumbnail;
        options.width = options.height = options.thumbnailSize;
        options.frames = 1;
    }
    for (std::string* path : {&options.model, &options.table, &options.environment, &options.screenshot}) {
        if (!path->empty())
            *path = absolute(*path);
    }
    return options;
}

// Opens the shipped scene or the user's model and shows it: in the window
// until it is closed, or as the screenshot. The exit code.
int view(const ViewerOptions& options, const std::filesystem::path& dataRoot)
{
    const bool thumbnail = !options.thumbnail.empty();
    const bool headless = !options.screenshot.empty();
    const std::int64_t openedAt = FileWatch::now();
    auto application = std::make_unique<SDLGLApplication>(
        WindowSettings{options.width, options.height, options.fullscreen, headless, dataRoot});
    if (!application->initialised())
        return 1;

    const float aspectRatio = float(options.width) / float(options.height);
    // Holds the programs and the light sphere for dropped files; released, like
    // all it built, before view returns.
    GLResources resources(dataRoot);
    // A thumbnail is asked for by a file manager, for every file it shows:
    // it may take no more than 1 GiB to read one, and a file that needs more
    // gets none.
    ReaderSettings reader =
        thumbnail ? readerSettings(readerProgram(), thumbnailReaderMemory) : readerSettings(readerProgram());
    reader.assimpOnly = options.assimpOnly;
    SceneImport import(resources, reader, options.cache ? cacheSettings() : std::nullopt, dataRoot);
    ImportedScene built = options.model.empty() ? import.loadScene("QM/QM.fbx")
                                                : import.openModel(userModel(options, options.model, aspectRatio));
    if (!built)
        return 1;  // the import has said why
    std::shared_ptr<Scene> scene = std::move(built.scene);
    std::shared_ptr<AnimationHandler> animation = std::move(built.animation);
    scene->camera->aspectRatio = aspectRatio;
    scene->camera->updateProjection();
    applyCameraOptions(*scene->camera, options);
    if (scene->motion)
        startMotion(*scene->motion, options);
    if (scene->guides) {
        scene->guides->grid = options.grid;
        scene->guides->axes = options.axes;
    }
    if (!headless)
        application->showWindow();
    std::shared_ptr<GLRenderer> renderer =
        std::make_shared<GLRenderer>(GLuint(application->width), GLuint(application->height), dataRoot);
    renderer->depthOfField = !thumbnail;

    renderer->setScene(scene);
    application->setRenderer(renderer);
    application->setAnimationHandler(animation);
    scene->setAnimationHandler(animation);
    int status = 0;
    if (headless) {
        application->renderFrames(options.frames, options.time.has_value(), options.overlay);
        status = writeScreenshot(options.screenshot, application->width, application->height) ? 0 : 1;
    } else {
        SDLGLApplication* window = application.get();
        application->modelFile = options.model;
        application->watchModel = options.watch;
        application->rotation = options.trackball ? OrbitControl::Rotation::Trackball : OrbitControl::Rotation::Turntable;
        application->openedAt = openedAt;
        application->openModelFile = [&import, &options, aspectRatio, window](const std::string& file, const Log& log) {
            return import
                .openModel(userModel(options, file, aspectRatio), log, [window] { return readStillWanted(*window); })
                .scene;
        };
        application->run();
    }

    renderer.reset();
    animation.reset();
    scene.reset();
    application.reset();
    return status;
}

}  // namespace

int run(int argc, char** argv)
{
    const CommandLine command = readCommandLine({argv + (argc > 0 ? 1 : 0), argv + argc});
    switch (command.action) {
    case CommandLine::Help: std::cout << usage(); return 0;
    case CommandLine::Version: std::cout << versionLine() << std::endl; return 0;
    case CommandLine::Error: std::cerr << "quillmoor: " << command.error << "\n\n" << usage(); return 2;
    case CommandLine::Run: break;
    }
    const std::optional<std::filesystem::path> dataRoot = runtimeData();
    return dataRoot ? view(runOptions(command.options), *dataRoot) : 1;
}

}  // namespace qm
