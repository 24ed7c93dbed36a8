#include "ModelOrientation.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace qm {

namespace {

std::optional<double> number(const std::vector<SceneNumber>& numbers, const std::string& key)
{
    for (const SceneNumber& entry : numbers)
        if (entry.key == key)
            return entry.value;
    return std::nullopt;
}

// One of the file's axis settings as a unit vector: axis index 0 to 2 and
// its sign; nothing for a value out of range.
std::optional<glm::vec3> axis(const std::vector<SceneNumber>& metadata, const char* name, const std::string& sign)
{
    const auto index = number(metadata, name);
    const auto direction = number(metadata, sign);
    if (!index || *index < 0 || *index > 2 || std::floor(*index) != *index)
        return std::nullopt;
    glm::vec3 v(0.0f);
    v[int(*index)] = direction && *direction < 0 ? -1.0f : 1.0f;
    return v;
}

// The rotation that takes the file's right, up and front axes to +X, +Y and
// +Z; nothing unless they form a right-handed frame.
std::optional<glm::mat3> recordedAxes(const std::vector<SceneNumber>& metadata)
{
    const auto right = axis(metadata, "CoordAxis", "CoordAxisSign");
    const auto up = axis(metadata, "UpAxis", "UpAxisSign");
    const auto front = axis(metadata, "FrontAxis", "FrontAxisSign");
    if (!right || !up || !front || glm::dot(glm::cross(*right, *up), *front) < 0.5f)
        return std::nullopt;
    // Rows are the file's axes: a file vector's viewer coordinates are its projections on them.
    return glm::transpose(glm::mat3(*right, *up, *front));
}

const char* axisName(const glm::vec3& v)
{
    static const char* names[] = {"-Z", "-Y", "-X", "", "+X", "+Y", "+Z"};
    for (int i = 0; i < 3; ++i) {
        if (v[i] != 0.0f)
            return names[3 + (v[i] > 0.0f ? 1 : -1) * (i + 1)];
    }
    return "?";
}

}  // namespace

// Each node's matrix in the world, below `root`.
std::vector<glm::mat4> nodeWorlds(const SceneData& scene, const glm::mat4& root)
{
    // Parents come first, so each node's parent matrix is ready.
    std::vector<glm::mat4> world(scene.nodes.size());
    for (std::size_t i = 0; i < scene.nodes.size(); ++i) {
        const SceneNode& node = scene.nodes[i];
        world[i] = (node.parent < 0 ? root : world[std::size_t(node.parent)]) * glm::make_mat4(node.transform.data());
    }
    return world;
}

BoundingBox modelBounds(const SceneData& scene, const glm::mat4& root)
{
    BoundingBox box = BoundingBox::empty();
    const std::vector<glm::mat4> world = nodeWorlds(scene, root);
    for (std::size_t i = 0; i < scene.nodes.size(); ++i) {
        const SceneNode& node = scene.nodes[i];
        for (std::uint32_t m : node.meshes) {
            // A mesh with a position that is not a number is left out of the
            // scene, and out of its bounds.
            const std::vector<float>& positions = scene.meshes[m].positions;
            if (!std::all_of(positions.begin(), positions.end(), [](float x) { return std::isfinite(x); }))
                continue;
            for (std::size_t v = 0; v + 2 < positions.size(); v += 3) {
                const glm::vec3 p(world[i] * glm::vec4(positions[v], positions[v + 1], positions[v + 2], 1.0f));
                if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
                    continue;
                box.grow(p);
            }
        }
    }
    if (box.isEmpty())
        return {};
    // Spread over most of the float range, the box's size overflows; it then frames nothing.
    return std::isfinite(glm::length(box.halfExtents)) && std::isfinite(glm::length(box.center)) ? box : BoundingBox{};
}

ModelOrientation modelOrientation(const SceneData& scene, std::optional<char> upAxis, std::optional<float> scale)
{
    const std::vector<SceneNumber>& metadata = scene.numbers;
    std::ostringstream text;
    text << "Units and axes: ";

    // FBX records centimetres per unit.
    const auto centimetres = number(metadata, "UnitScaleFactor");
    const bool unitRecorded = centimetres && *centimetres > 0.0 && std::isfinite(*centimetres);
    const float metres = scale ? *scale : unitRecorded ? float(*centimetres / 100.0) : 1.0f;
    text << "1 unit = " << metres << " m ("
         << (scale ? "--scale" : unitRecorded ? "recorded in the file" : "none recorded, taken as metres") << "), ";

    glm::mat3 rotation(1.0f);
    const auto recorded = recordedAxes(metadata);
    if (upAxis) {
        // Z up: +Z becomes +Y and +Y goes into the screen.
        if (*upAxis == 'z')
            rotation = glm::mat3(glm::vec3(1, 0, 0), glm::vec3(0, 0, -1), glm::vec3(0, 1, 0));
        text << "up " << (*upAxis == 'z' ? "+Z" : "+Y") << " (--up)";
    } else if (recorded) {
        rotation = *recorded;
        text << "up " << axisName(glm::transpose(*recorded)[1]) << " (recorded in the file)";
    } else {
        text << "up +Y (none recorded)";
    }
    ModelOrientation result;
    result.transform = glm::mat4(rotation * metres);
    result.description = text.str();
    return result;
}

std::vector<FileView> fileViews(const SceneData& scene, const glm::mat4& root)
{
    const std::vector<glm::mat4> world = nodeWorlds(scene, root);
    std::vector<FileView> views;
    for (const SceneCamera& camera : scene.cameras) {
        const auto node = std::find_if(scene.nodes.begin(), scene.nodes.end(),
                                       [&](const SceneNode& n) { return n.name == camera.name; });
        const glm::mat4& place = node == scene.nodes.end() ? root : world[std::size_t(node - scene.nodes.begin())];
        const auto vector = [](const std::array<float, 3>& v) { return glm::vec3(v[0], v[1], v[2]); };
        FileView view{camera.name, glm::vec3(place * glm::vec4(vector(camera.position), 1.0f)),
                      glm::mat3(place) * vector(camera.lookAt), glm::mat3(place) * vector(camera.up)};
        const float ahead = glm::length(view.front);
        if (!(ahead > 0.0f) || !std::isfinite(ahead) || !std::isfinite(glm::length(view.position)))
            continue;
        view.front /= ahead;
        // Up at right angles to the view; one along it (or none) gives way to
        // the world's up, or to its back for a view straight up or down.
        const auto across = [&](const glm::vec3& up) {
            const glm::vec3 side = glm::cross(view.front, up);
            const float length = glm::length(side);
            return length > 1e-4f && std::isfinite(length) ? glm::normalize(glm::cross(side / length, view.front))
                                                           : glm::vec3(0.0f);
        };
        // The file's angle is half the horizontal one; without an aspect
        // ratio (glTF's cameras that follow the window's) it is half the vertical.
        const float half = camera.aspect > 0.0f ? std::atan(std::tan(camera.horizontalFov) / camera.aspect)
                                                : camera.horizontalFov;
        if (half > 0.0f && std::isfinite(half))
            view.fovDegrees = std::clamp(2.0f * half / degreesToRadians, 1.0f, 170.0f);
        view.up = across(view.up);
        for (const glm::vec3 fallback : {glm::vec3(0.0f, 1.0f, 0.0f), glm::vec3(0.0f, 0.0f, -1.0f)})
            view.up = view.up == glm::vec3(0.0f) ? across(fallback) : view.up;
        views.push_back(view);
    }
    return views;
}

}  // namespace qm
