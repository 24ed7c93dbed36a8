#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <string>

#include "FileWatch.h"
#include "GpuFrameTime.h"
#include "GraphicsApplication.h"
#include "Log.h"
#include "OrbitControl.h"
#include "Overlay.h"

namespace qm {

class Scene;

// The window's size and kind. Headless: no window on a display and no
// sound (the offscreen driver, chosen before SDL starts).
struct WindowSettings {
    int width = 1600;
    int height = 900;
    bool fullscreen = false;
    bool headless = false;
    // The runtime data's folder, where the music lies (the working directory when empty).
    std::filesystem::path dataRoot;
};

// The SDL window with its OpenGL 3.2 core context, the audio and the music,
// and the frame loop. The window, context, audio device and music live until
// the process ends: GL objects released at exit still need the context.
class SDLGLApplication : public GraphicsApplication {
public:
    // Sets everything up; check initialised() before using the application.
    explicit SDLGLApplication(WindowSettings settings = {});

    void run() override;
    // Renders `frames` frames on a fixed step, without input, leaving the
    // last one unswapped in the back buffer for a screenshot. The animation
    // starts from a fixed seed, so the same call gives the same picture. A
    // model's clip moves on by fixedStep a frame from where it stands,
    // unless `holdPose` keeps every frame at that time. `withOverlay` draws
    // the information panel and the timeline over the last frame.
    void renderFrames(int frames, bool holdPose = false, bool withOverlay = false);
    static constexpr float fixedStep = 1.0f / 60.0f;
    void quit() override;
    void showWindow() override;

    // False when SDL, the window or the GL context could not be set up; the
    // reason has been written to standard error.
    bool initialised() const { return context != nullptr; }

    void bindCommands();
    // Opens a model file, dropped on the window or reloaded; empty (after
    // saying why) when it cannot.
    std::function<std::shared_ptr<Scene>(const std::string& file, const Log& log)> openModelFile;
    // The model file the scene shows (empty: the moor), which F5 reloads;
    // with `watchModel`, so does a change to it or to a file it refers to.
    std::string modelFile;
    bool watchModel = false;
    // When the open of the scene shown began (FileWatch::now()): a file
    // saved since then is reloaded once more. Unknown: none is.
    std::int64_t openedAt = std::numeric_limits<std::int64_t>::max();
    // How an opened model's orbit camera turns.
    OrbitControl::Rotation rotation = OrbitControl::Rotation::Turntable;
    // Reopens the model file, keeping the view and the clip; on failure the
    // scene stays. Prints one line either way.
    void reloadScene();
    void onResize(int width, int height);
    void playMusic();

private:
    void init();
    void openDroppedFile(const std::string& file);
    // Opens a model file in place of the scene; false (the import has said
    // why) when it cannot.
    bool openFile(const std::string& file);
    // The next (or previous, with a negative step) model file of the
    // folder, passing over those that cannot be read.
    void stepFile(int steps);
    // The picture as it stands, into the user's pictures folder (F12).
    void saveView();
    // A double-click: the orbit turns about the surface under the pointer,
    // or frames the whole model again over the sky.
    void pivotOnSurface(const glm::ivec2& pixel);
    // The model file's place in its folder, for the title.
    void showPlace();
    // Shows a newly opened scene, with its commands and its files watched.
    void showScene(std::shared_ptr<Scene> scene);
    void watchFiles();
    // The orbit camera's keys and buttons for an opened model (none for the moor).
    void bindInspection();
    // Between the fly camera and the orbit camera.
    void setFlying(bool fly);
    // C: the orbit camera looks as the file's next camera does, or after
    // the last, frames the whole model again; says which in one line.
    void nextFileView(OrbitControl& control, const Scene& scene);
    // Home: the whole model framed, as it opened.
    void frameWhole(OrbitControl& control, const Scene& scene);
    // The file camera looked through last (-1: none since the framed view).
    int fileView = -1;
    // F5 asks; the loop reloads, outside the key's own command.
    bool reloadWanted = false;
    // The same for Page Down and Up, and for F12 (taken after the frame is drawn).
    int stepWanted = 0;
    bool viewWanted = false;
    // And for a double-click, read after the frame it points into.
    std::optional<glm::ivec2> pickWanted;
    // " - duck.fbx (3/12)" after the frame rate; nothing for the moor.
    std::string placeTitle;

    WindowSettings settings;
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool running = true;
    Mix_Music* music = nullptr;
    FileWatch watch;
    // An opened model's orbit camera; the fly camera is the moor's, and the
    // model's too while `flying`.
    std::unique_ptr<OrbitControl> orbit;
    bool flying = true;
    // Made with an opened model's first scene.
    std::unique_ptr<Overlay> overlay;
    // While the information panel shows.
    std::unique_ptr<GpuFrameTime> gpuTime;
    // Milliseconds between looks at the watched files.
    static constexpr Uint32 lookInterval = 250;
    Uint32 lastLook = 0;
};

}  // namespace qm
