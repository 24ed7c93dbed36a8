// CPU cost of a moving crowd per frame: posing 100 skinned characters of
// 60 bones each (every bone turned by its own channel), and the whole draw
// list with their bone palettes. Prints:
//   motion characters <n> bones <n> pose_us <median> ns_per_bone <x> drawlist_us <median>
//   motion frame_share <pose as a share of a 60 Hz frame>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <memory>
#include <vector>

#include "Mesh.h"
#include "MeshDeformation.h"
#include "MeshLOD.h"
#include "ModelMotion.h"
#include "Scene.h"
#include "SceneData.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int characters = 100;
constexpr int bones = 60;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

qm::Matrix4 translation(float x, float y, float z)
{
    qm::Matrix4 m = qm::identityMatrix;
    m[12] = x;
    m[13] = y;
    m[14] = z;
    return m;
}

// A column of rings, one ring of 4 vertices per bone, each ring on its bone.
qm::SceneMesh characterMesh(int character)
{
    qm::SceneMesh mesh;
    mesh.name = "body " + std::to_string(character);
    for (int b = 0; b < bones; ++b) {
        for (int c = 0; c < 4; ++c) {
            const float angle = float(c) * 1.5707964f;
            mesh.positions.insert(mesh.positions.end(), {0.2f * std::cos(angle), 0.1f * float(b), 0.2f * std::sin(angle)});
            mesh.normals.insert(mesh.normals.end(), {std::cos(angle), 0.0f, std::sin(angle)});
            mesh.boneIndices.insert(mesh.boneIndices.end(), {std::uint32_t(b), 0, 0, 0});
            mesh.boneWeights.insert(mesh.boneWeights.end(), {1.0f, 0.0f, 0.0f, 0.0f});
        }
        mesh.bones.push_back({"bone " + std::to_string(character) + " " + std::to_string(b),
                              translation(0.0f, -0.1f * float(b), 0.0f)});
    }
    for (std::uint32_t r = 0; r + 1 < bones; ++r)
        for (std::uint32_t c = 0; c < 4; ++c) {
            const std::uint32_t a = r * 4 + c, d = r * 4 + (c + 1) % 4;
            mesh.triangles.insert(mesh.triangles.end(), {a, a + 4, d, d, a + 4, d + 4});
        }
    return mesh;
}

}  // namespace

int main()
{
    qm::SceneData file;
    file.nodes.push_back({"root", -1, qm::identityMatrix, {}});
    qm::SceneAnimation clip{"sway", 60.0, 30.0, {}, {}};
    for (int character = 0; character < characters; ++character) {
        const float x = float(character % 10) * 3.0f, z = -float(character / 10) * 3.0f;
        file.meshes.push_back(characterMesh(character));
        file.nodes.push_back({"body " + std::to_string(character), 0, translation(x, 0.0f, z),
                              {std::uint32_t(character)}});
        for (int b = 0; b < bones; ++b) {
            const std::string name = "bone " + std::to_string(character) + " " + std::to_string(b);
            const std::int32_t parent = b == 0 ? 0 : std::int32_t(file.nodes.size()) - 1;
            file.nodes.push_back({name, parent, b == 0 ? translation(x, 0.0f, z) : translation(0.0f, 0.1f, 0.0f), {}});
            // Every bone sways about z, a little later than the one below.
            qm::NodeChannel channel{name, {}, {}, {}, {}, {}, {}};
            for (int key = 0; key <= 4; ++key) {
                const float half = 0.05f * std::sin(float(key + b) * 1.5707964f);
                channel.rotationTimes.push_back(15.0 * key);
                channel.rotations.insert(channel.rotations.end(), {0.0f, 0.0f, std::sin(half), std::cos(half)});
            }
            clip.nodeChannels.push_back(std::move(channel));
        }
    }
    file.animations.push_back(std::move(clip));

    qm::Scene scene;
    auto material = std::make_shared<qm::Material>();
    std::vector<qm::NodePlacement> placements;
    for (int character = 0; character < characters; ++character) {
        const qm::SceneMesh& body = file.meshes[std::size_t(character)];
        std::vector<qm::Vertex> vertices(body.vertexCount());
        for (std::size_t v = 0; v < vertices.size(); ++v)
            vertices[v].position = glm::make_vec3(&body.positions[3 * v]);
        auto mesh = std::make_shared<qm::Mesh>(std::move(vertices), body.triangles, material);
        std::string problem;
        mesh->deformation = qm::readDeformation(body, problem);
        auto chain = std::make_shared<qm::MeshLOD>(mesh, mesh, mesh);
        chain->computeBoundingBox();
        auto object = std::make_shared<qm::SceneObject>();
        object->setMeshLOD(chain);
        const std::uint32_t node = 1 + std::uint32_t(character) * (bones + 1);
        object->model = glm::make_mat4(file.nodes[node].transform.data());
        object->computeBounds();
        scene.addObject(object);
        placements.push_back({object, node, character, -1});
    }
    scene.motion = qm::buildModelMotion(file, qm::readClips(file, std::cerr), glm::mat4(1.0f), placements, std::cerr);
    if (!scene.motion)
        return 1;
    scene.motion->fitBounds();
    scene.buildOctree();
    scene.camera->position = glm::vec3(13.5f, 3.0f, 20.0f);
    scene.camera->look(0.0f, 0.0f);

    constexpr int frames = 600;
    std::vector<double> poses, lists;
    for (int frame = 0; frame < frames; ++frame) {
        scene.motion->advance(1.0f / 60.0f);
        const auto start = Clock::now();
        scene.motion->pose();
        poses.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        const auto listStart = Clock::now();
        const qm::DrawList& list = scene.buildDrawList();  // poses again, then files every copy
        lists.push_back(std::chrono::duration<double, std::micro>(Clock::now() - listStart).count());
        if (list.meshes.empty())
            return 1;
    }
    const double pose = median(poses);
    std::printf("motion characters %d bones %d pose_us %.1f ns_per_bone %.1f drawlist_us %.1f\n", characters, bones,
                pose, pose * 1000.0 / double(characters * bones), median(lists));
    std::printf("motion frame_share %.4f\n", pose / (1e6 / 60.0));
    return 0;
}
