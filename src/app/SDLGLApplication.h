#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include <functional>
#include <memory>
#include <string>

#include "GraphicsApplication.h"

namespace qm {

class Scene;

// The window's size and kind. Headless: no window on a display and no
// sound (the offscreen driver, chosen before SDL starts).
struct WindowSettings {
    int width = 1600;
    int height = 900;
    bool fullscreen = false;
    bool headless = false;
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
    // unless `holdPose` keeps every frame at that time.
    void renderFrames(int frames, bool holdPose = false);
    static constexpr float fixedStep = 1.0f / 60.0f;
    void quit() override;
    void showWindow() override;

    // False when SDL, the window or the GL context could not be set up; the
    // reason has been written to standard error.
    bool initialised() const { return context != nullptr; }

    void bindCommands();
    // Opens a dropped model file; empty (after saying why) when it cannot.
    std::function<std::shared_ptr<Scene>(const std::string&)> openDroppedFile;
    void onResize(int width, int height);
    void playMusic();

private:
    void init();
    void replaceScene(const std::string& file);

    WindowSettings settings;
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool running = true;
    Mix_Music* music = nullptr;
};

}  // namespace qm
