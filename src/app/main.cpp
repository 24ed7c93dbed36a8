#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdlib>

#include "Startup.h"

int main(int argc, char** argv)
{
    SDL_SetMainReady();
    std::exit(qm::run(argc, argv));
}
