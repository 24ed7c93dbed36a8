// GPU time of a frame and of each pass at 1600 x 900, for the generated
// scene along a camera path, for an empty scene (the fixed cost of the
// post-processing chain) and for model files of one's own from their start
// views (physically based files show their own passes; a moving file is
// measured playing its first clip, then in its rest pose).
// Usage: qm_render_bench [frames] [model file...]. Prints:
//   frame <scene> median_ms <x>
//   pass <scene> <pass name> median_ms <x>
// Run from the runtime directory (the generated scene is read from QM/).
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "GLRenderer.h"
#include "GeneratedScene.h"
#include "ModelMotion.h"

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Timestamps at every pass boundary, read back after the frame has finished.
class TimestampProfiler : public qm::FrameProfiler {
public:
    void pass(const char* name) override
    {
        GLuint query = 0;
        if (used < queries.size()) {
            query = queries[used];
        } else {
            glGenQueries(1, &query);
            queries.push_back(query);
        }
        ++used;
        glQueryCounter(query, GL_TIMESTAMP);
        names.emplace_back(name);
    }

    // Folds this frame's pass times (milliseconds) into the samples.
    void collect()
    {
        std::vector<GLuint64> stamps(used);
        for (std::size_t i = 0; i < used; ++i)
            glGetQueryObjectui64v(queries[i], GL_QUERY_RESULT, &stamps[i]);
        for (std::size_t i = 0; i + 1 < used; ++i) {
            auto it = std::find_if(passes.begin(), passes.end(), [&](const auto& p) { return p.first == names[i]; });
            if (it == passes.end())
                it = passes.insert(passes.end(), {names[i], {}});
            it->second.push_back(double(stamps[i + 1] - stamps[i]) / 1e6);
        }
        frames.push_back(double(stamps[used - 1] - stamps[0]) / 1e6);
        used = 0;
        names.clear();
    }

    void print(const char* scene)
    {
        std::printf("frame %s median_ms %.2f\n", scene, median(frames));
        for (const auto& [name, samples] : passes)
            std::printf("pass %s %s median_ms %.2f\n", scene, name.c_str(), median(samples));
        passes.clear();
        frames.clear();
    }

private:
    std::vector<GLuint> queries;
    std::size_t used = 0;
    std::vector<std::string> names;
    std::vector<std::pair<std::string, std::vector<double>>> passes;  // in frame order
    std::vector<double> frames;
};

void measure(const char* name, qm::GLRenderer& renderer, const std::shared_ptr<qm::Scene>& shown, int frames,
             bool orbit = true)
{
    qm::Scene& scene = *shown;
    TimestampProfiler profiler;
    renderer.profiler = &profiler;
    renderer.setScene(shown);
    for (int frame = 0; frame < frames && !orbit; ++frame) {
        if (scene.motion)
            scene.motion->advance(1.0f / 60.0f);
        renderer.render();
        profiler.collect();
    }
    for (int frame = 0; frame < frames && orbit; ++frame) {
        // Once around the stone circle, looking outwards over the moor.
        const float t = 2.0f * float(M_PI) * float(frame) / float(frames);
        scene.camera->position = glm::vec3(std::cos(t) * 40.0f, 18.0f, -30.0f + std::sin(t) * 40.0f);
        scene.camera->yaw = glm::degrees(t);
        scene.camera->pitch = -8.0f;
        scene.camera->look(0.0f, 0.0f);
        if (scene.animationHandler)
            scene.animationHandler->update();
        renderer.render();
        profiler.collect();
    }
    profiler.print(name);
    renderer.profiler = nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    std::unique_ptr<qm::SDLGLApplication> application;
    const std::shared_ptr<qm::Scene> scene = loadGeneratedScene(application);
    if (!scene)
        return 1;

    qm::GLRenderer renderer(GLuint(application->width), GLuint(application->height));
    measure("generated", renderer, scene, frames);

    const auto empty = std::make_shared<qm::Scene>();
    empty->setSkybox(std::move(scene->skybox));  // the sky moves over; the scene is not drawn again
    empty->buildOctree();
    measure("empty", renderer, empty, frames);

    for (int file = 2; file < argc; ++file) {
        std::cout.setstate(std::ios::failbit);
        qm::GLResources resources;
        qm::UserModel model;
        model.path = argv[file];
        model.aspectRatio = float(application->width) / float(application->height);
        qm::ImportedScene built =
            qm::SceneImport(resources, qm::readerSettings(QM_READER_PROGRAM), std::nullopt).openModel(model);
        std::cout.clear();
        if (!built)
            return 1;
        built.scene->camera->aspectRatio = model.aspectRatio;
        built.scene->camera->updateProjection();
        const std::string name = std::filesystem::path(model.path).stem().string();
        measure(name.c_str(), renderer, built.scene, frames, false);
        if (built.scene->motion) {
            built.scene->motion->select(std::nullopt);
            measure((name + "-rest").c_str(), renderer, built.scene, frames, false);
        }
    }
    return 0;
}
