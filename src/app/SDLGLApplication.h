#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

#include "GraphicsApplication.h"

namespace qm {

// The SDL window with its OpenGL 3.2 core context, the audio and the music,
// and the frame loop. The window, context, audio device and music live until
// the process ends: GL objects released at exit still need the context.
class SDLGLApplication : public GraphicsApplication {
public:
    // Sets everything up; check initialised() before using the application.
    SDLGLApplication();

    void run() override;
    void quit() override;
    void showWindow() override;

    // False when SDL, the window or the GL context could not be set up; the
    // reason has been written to standard error.
    bool initialised() const { return context != nullptr; }

    void bindCommands();
    void onResize(int width, int height);
    void playMusic();

private:
    void init();

    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool running = true;
    Mix_Music* music = nullptr;
};

}  // namespace qm
