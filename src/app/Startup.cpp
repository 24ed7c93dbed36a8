#include "Startup.h"

#include <memory>

#include "GLRenderer.h"
#include "ImportRegistries.h"
#include "RuntimeData.h"
#include "SDLGLApplication.h"
#include "SceneImport.h"

namespace qm {

int run(int, char**)
{
    if (!enterRuntimeData())
        return 1;
    auto application = std::make_unique<SDLGLApplication>();
    if (!application->initialised())
        return 1;

    std::shared_ptr<Scene> scene = loadScene("QM/QM.fbx");
    if (!scene)
        return 1;  // the import has said why
    std::shared_ptr<AnimationHandler> animation = registries().loadedAnimationHandler;
    application->showWindow();
    clearRegistries();
    std::shared_ptr<GLRenderer> renderer =
        std::make_shared<GLRenderer>(GLuint(application->width), GLuint(application->height));

    renderer->setScene(scene);
    application->setRenderer(renderer);
    application->setAnimationHandler(animation);
    scene->setAnimationHandler(animation);
    application->run();

    renderer.reset();
    animation.reset();
    scene.reset();
    application.reset();
    return 0;
}

}  // namespace qm
