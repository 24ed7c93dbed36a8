#define SDL_MAIN_HANDLED
#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "Startup.h"

int main(int argc, char** argv)
{
    // A large model fills hundreds of megabytes while it is imported and
    // simplified, and a page fault costs dearly on virtual machines: the
    // allocator on transparent huge pages takes a 2-million-triangle scene's
    // levels of detail from 1.0 to 0.6 s. glibc reads the setting only at
    // start-up, so the viewer starts itself once more with it, unless the
    // user set the allocator's tunables. A thumbnail builds no levels and
    // is asked for by the hundred: it does not spend a second start on it.
    const bool thumbnail = std::any_of(argv, argv + argc, [](const char* a) { return std::strcmp(a, "--thumbnail") == 0; });
    if (!thumbnail && !std::getenv("GLIBC_TUNABLES") && setenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=1", 1) == 0)
        execv("/proc/self/exe", argv);  // returns only when it fails: go on as we are
    SDL_SetMainReady();
    std::exit(qm::run(argc, argv));
}
