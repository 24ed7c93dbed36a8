#include "Startup.h"

#include <memory>

#include "SDLGLApplication.h"

namespace qm {

int run(int, char**)
{
    auto application = std::make_unique<SDLGLApplication>();
    if (!application->initialised())
        return 1;

    application->showWindow();
    application->run();

    application.reset();
    return 0;
}

}  // namespace qm
