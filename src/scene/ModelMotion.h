#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "AnimationClip.h"
#include "BoundingBox.h"
#include "DrawList.h"

namespace qm {

class SceneObject;
struct MeshDeformation;
struct SceneData;

// An object of the scene a file's node places, and the file's mesh it
// shows (-1 for a light).
struct NodePlacement {
    std::shared_ptr<SceneObject> object;
    std::uint32_t node = 0;
    std::int32_t mesh = -1;
};

// The motion of a user's model file: its node tree at rest, its clips, what
// they move (placed objects, skins, morph targets) and the playback clock.
// Free of GL: each frame the scene has it pose, then reads the objects'
// matrices and each deformer's bone palette and morph weights.
class ModelMotion {
public:
    struct Node {
        std::int32_t parent = -1;
        glm::mat4 rest{1.0f};
        glm::vec3 translation{0.0f};
        glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
        glm::vec3 scale{1.0f};
    };
    struct Placement {
        std::shared_ptr<SceneObject> object;
        std::uint32_t node = 0;
        std::int32_t deformer = -1;
    };
    // What moves a placed mesh's vertices: the bones of its skin (none
    // without one) and its morph targets' weights.
    struct Deformer {
        std::uint32_t node = 0;
        std::vector<std::uint32_t> boneNodes;
        std::vector<glm::mat4> offsets;
        // Mesh frame to the bones' frames now, then the mesh's own frame:
        // bones + 1 matrices.
        std::vector<glm::mat4> palette;
        std::vector<float> weights;
        MorphWeights morph;
        // The vertices each bone moves, boxed in that bone's frame at rest,
        // then those no bone moves, in the mesh's frame (empty boxes have
        // min above max).
        std::vector<BoundingBox> boneBoxes;
    };

    // The clips, in the file's order.
    const std::vector<AnimationClip>& clips() const { return clipList; }
    // The clip playing; none shows the rest pose.
    std::optional<std::size_t> clip() const { return playing; }
    // Starts a clip (or the rest pose) from its beginning.
    void select(std::optional<std::size_t> clip);
    // The same by what a user types: "none" for the rest pose, a clip's
    // number from 1, or its name. False, changing nothing, for no clip.
    bool choose(const std::string& choice);
    // The next or previous clip, round the list.
    void step(int direction);
    // Seconds into the clip, looping over its duration.
    float time() const { return clock; }
    void setTime(float seconds);
    // Moves the clock on, unless paused.
    void advance(float seconds);
    bool paused = false;
    // One line naming the clip playing and its duration.
    std::string clipLine() const;
    // One line listing the clips, numbered from 1, with their durations.
    std::string listing() const;

    // Poses every node at the clock's time and brings the placed objects'
    // matrices, the bone palettes and the morph weights up to date.
    void pose();

    // Grows each placed object's box to hold it over the rest pose and
    // every clip (sampled at the keys and halfway between); returns the
    // box of all of them. Needs the objects' rest boxes.
    BoundingBox fitBounds();

    const std::vector<Placement>& placements() const { return placed; }
    const std::vector<Deformer>& deformers() const { return deformerList; }
    // The nodes' world matrices of the last pose, above the file's root.
    const std::vector<glm::mat4>& worldMatrices() const { return world; }

    // The parts buildModelMotion assembles.
    std::vector<Node> nodes;
    std::vector<AnimationClip> clipList;
    std::vector<Placement> placed;
    std::vector<Deformer> deformerList;
    // The file's placement in the world, below its root node.
    glm::mat4 root{1.0f};

private:
    // The pose at `time` of `clip` (none: rest) into `world`.
    void poseNodes(const AnimationClip* clip, float time);
    // Each placement's world box in the current pose, grown into boxes[i].
    void growBoxes(std::vector<BoundingBox>& boxes) const;

    std::optional<std::size_t> playing;
    float clock = 0.0f;
    std::vector<glm::mat4> world;
    std::vector<float> weightScratch;
};

// The motion of a file's clips, or none when it has no clip that moves
// anything. `placements` are the objects its nodes became, in any order;
// their meshes' deformations (see MeshDeformation.h) get a deformer each.
// Channels naming no node, bones naming no node and empty clips are left
// out, each reported on standard error once.
std::shared_ptr<ModelMotion> buildModelMotion(const SceneData& scene, const glm::mat4& root,
                                              std::span<const NodePlacement> placements);

}  // namespace qm
