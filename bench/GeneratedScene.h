#pragma once

#include <iostream>
#include <memory>

#include "AnimationHandler.h"
#include "GLResources.h"
#include "SDLGLApplication.h"
#include "SceneImport.h"

// The benchmarks' set-up: an offscreen window and context (no display, no
// sound card needed) and the generated scene, animated, read from QM/ in the
// working directory. Empty when either cannot be had.
inline std::shared_ptr<qm::Scene> loadGeneratedScene(std::unique_ptr<qm::SDLGLApplication>& application)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    application = std::make_unique<qm::SDLGLApplication>();
    if (!application->initialised())
        return nullptr;
    std::cout.setstate(std::ios::failbit);  // the import's progress messages
    qm::GLResources resources;
    qm::ImportedScene built = qm::SceneImport(resources, qm::readerSettings(QM_READER_PROGRAM)).loadScene("QM/QM.fbx");
    std::cout.clear();
    if (!built)
        return nullptr;
    built.animation->init();
    built.scene->setAnimationHandler(built.animation);
    return built.scene;
}
