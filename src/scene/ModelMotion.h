#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "AnimationClip.h"
#include "BoundingBox.h"

namespace qm {

class SceneObject;
struct SceneData;

// An object of the scene that a file's node places: the file's mesh it
// shows (-1 for a light) and, once the motion is built, that mesh's
// deformer in it (-1 for none).
struct NodePlacement {
    std::shared_ptr<SceneObject> object;
    std::uint32_t node = 0;
    std::int32_t mesh = -1;
    std::int32_t deformer = -1;
};

// The motion of a user's model file: its node tree at rest, its clips, what
// they move (placed objects, skins, morph targets) and the playback clock.
// Free of GL: each frame the scene has it pose, then reads the objects'
// matrices and each deformer's block (see DrawList.h).
class ModelMotion {
public:
    struct Node {
        std::int32_t parent = -1;
        glm::mat4 rest{1.0f};
        glm::vec3 translation{0.0f};
        glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
        glm::vec3 scale{1.0f};
    };
    // What moves a placed mesh's vertices: the bones of its skin (none
    // without one) and its morph targets' weights.
    struct Deformer {
        std::uint32_t node = 0;
        std::vector<std::uint32_t> boneNodes;
        std::vector<glm::mat4> offsets;
        // The copy's deformation block as the GPU reads it (DrawList.h).
        std::vector<glm::mat4> block;
        std::vector<float> weights;
        // The vertices each bone moves, boxed in that bone's frame at bind
        // time, then those no bone moves, in the mesh's frame, each spread
        // over what the clips' morph weights make of them (empty boxes have
        // min above max).
        std::vector<BoundingBox> boneBoxes;
        bool skinned() const { return !boneNodes.empty(); }
    };

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
    // Plays on where `previous` (the same file before a reload) was: its
    // clip, by number, when this file still has it, its time and its pause.
    void continueFrom(const ModelMotion& previous);
    // One line naming the clip playing and its duration.
    std::string clipLine() const;
    // One line listing the clips, numbered from 1, with their durations.
    std::string listing() const;

    // Poses every node at the clock's time and brings the placed objects'
    // matrices and the deformers' blocks up to date. A skinned mesh's
    // object stands at the file's placement: its bones place its vertices.
    void pose();

    // Grows each placed object's box to hold it over the rest pose and
    // every clip (sampled eight times between keys); returns the box of
    // all their meshes, none without any. Needs the objects' rest boxes.
    std::optional<BoundingBox> fitBounds();

    std::vector<Node> nodes;
    // In the file's order.
    std::vector<AnimationClip> clips;
    std::vector<NodePlacement> placements;
    std::vector<Deformer> deformers;
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

// A file's clips in seconds, tied to its node numbers; channels naming no
// node and clips that move nothing are left out (reported on standard
// error in one line).
std::vector<AnimationClip> readClips(const SceneData& scene, std::ostream& problems);

// The motion of `clips` (readClips; none when empty). `placements` are the
// objects the file's nodes became, in any order; their meshes' deformations
// (MeshDeformation.h) get a deformer each.
std::shared_ptr<ModelMotion> buildModelMotion(const SceneData& scene, std::vector<AnimationClip> clips,
                                              const glm::mat4& root, std::vector<NodePlacement> placements,
                                              std::ostream& problems);

}  // namespace qm
