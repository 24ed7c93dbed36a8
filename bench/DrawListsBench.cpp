// Per-frame cost of the visibility work: the octree query and the whole
// draw-list build, for the generated scene along a camera path and for
// synthetic scenes of growing size. Prints one line per case:
//   drawlists <case> objects <n> query_us <median> build_us <median> filed <n>
//   ns_per_filed <the build, query included, per filed object>
// Run from the runtime directory (the generated scene is read from QM/).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <vector>

#include "GeneratedScene.h"
#include "MeshLOD.h"
#include "Noise.h"
#include "Shader.h"

namespace {

using Clock = std::chrono::steady_clock;

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Walks the camera around a circle of the given radius, turning as it goes.
void placeCamera(qm::Camera& camera, int frame, int frames, float radius)
{
    const float t = 2.0f * float(M_PI) * float(frame) / float(frames);
    camera.position = glm::vec3(std::cos(t) * radius, 20.0f, std::sin(t) * radius);
    camera.yaw = -90.0f;
    camera.pitch = 0.0f;
    camera.look(-50.0f, glm::degrees(t) * 10.0f * 0.5f);  // sensitivity 0.2: yaw follows t, pitch -10
}

void measure(const char* name, qm::Scene& scene, float radius)
{
    constexpr int frames = 400;
    std::vector<double> queryTimes;
    std::vector<std::uint32_t> visible;
    std::vector<double> buildTimes;
    double filed = 0.0;
    for (int frame = 0; frame < frames; ++frame) {
        placeCamera(*scene.camera, frame, frames, radius);
        if (scene.animationHandler)
            scene.animationHandler->update();

        const auto queryStart = Clock::now();
        scene.octree.query(scene.camera->frustumPlanes(), visible);
        const auto queryEnd = Clock::now();
        queryTimes.push_back(std::chrono::duration<double, std::micro>(queryEnd - queryStart).count());

        const auto buildStart = Clock::now();
        scene.buildDrawList();
        const auto buildEnd = Clock::now();
        buildTimes.push_back(std::chrono::duration<double, std::micro>(buildEnd - buildStart).count());

        std::size_t extra = 0;
        if (scene.animationHandler) {
            for (const auto& object : scene.animationHandler->objects)
                extra += !std::binary_search(visible.begin(), visible.end(), object->row);
        }
        filed += double(visible.size() + extra);
    }
    const double query = medianOf(queryTimes);
    const double build = medianOf(buildTimes);
    std::printf("drawlists %s objects %zu query_us %.1f build_us %.1f filed %.0f ns_per_filed %.1f\n", name,
                scene.objects.size(), query, build, filed / frames, build * 1000.0 / (filed / frames));
}

// Objects scattered over the 640 x 640 moor, sharing 25 meshes, with the
// level bands doing their work.
void syntheticScene(std::size_t count)
{
    auto material = std::make_shared<qm::Material>();
    material->shader = std::make_shared<qm::Shader>();
    std::vector<std::shared_ptr<qm::MeshLOD>> chains;
    for (int i = 0; i < 25; ++i) {
        std::vector<std::shared_ptr<qm::Mesh>> levels;
        for (int level = 0; level < 4; ++level)
            levels.push_back(std::make_shared<qm::Mesh>(std::vector<qm::Vertex>(3), std::vector<std::uint32_t>{0, 1, 2},
                                                        material));
        auto chain = std::make_shared<qm::MeshLOD>(levels[0], levels[1], levels[2]);
        chain->levels[3] = levels[3];
        chains.push_back(chain);
    }
    qm::Scene scene;
    scenegen::Random random(7);
    for (std::size_t i = 0; i < count; ++i) {
        auto object = std::make_shared<qm::SceneObject>();
        const glm::vec3 at(random.uniform(-320, 320), random.uniform(0, 10), random.uniform(-320, 320));
        const glm::vec3 half(random.uniform(0.5f, 3), random.uniform(0.5f, 5), random.uniform(0.5f, 3));
        object->model = glm::translate(glm::mat4(1.0f), at);
        object->position = at;
        object->boundingBox = qm::BoundingBox::fromMinMax(at - half, at + half);
        object->setMeshLOD(chains[i % chains.size()]);
        scene.addObject(object);
    }
    scene.buildOctree();
    const std::string name = "synthetic-" + std::to_string(count);
    measure(name.c_str(), scene, 60.0f);
}

}  // namespace

int main()
{
    std::unique_ptr<qm::SDLGLApplication> application;
    const std::shared_ptr<qm::Scene> scene = loadGeneratedScene(application);
    if (!scene)
        return 1;
    measure("generated", *scene, 60.0f);

    for (const std::size_t count : {1000u, 10000u, 100000u, 1000000u})
        syntheticScene(count);
    return 0;
}
