#pragma once

#include "SDLGLApplication.h"

// The process's one application, created on first use under SDL's offscreen
// driver; its GL context stays current for every test of the process.
qm::SDLGLApplication& testApplication();
