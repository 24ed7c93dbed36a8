#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <glm/gtc/quaternion.hpp>

#include "Math.h"

namespace qm {

// The keys of one animated value: times in seconds, ascending, and as many
// floats a key as the value has (3 for a translation or a scale, 4 for a
// rotation x, y, z, w, one per target for morph weights).
struct KeyTrack {
    std::vector<float> times;
    std::vector<float> values;
    bool empty() const { return times.empty(); }
};

// A track's value at `time`: linear between keys (rotations spherical, the
// short way round), and the end key's value before the first key and after
// the last, as the file's own values there.
glm::vec3 sampleVector(const KeyTrack& track, float time);
glm::quat sampleRotation(const KeyTrack& track, float time);
// Weights: `out.size()` floats a key.
void sampleWeights(const KeyTrack& track, float time, std::span<float> out);

// One node's channels; an empty track leaves that part of the node at rest.
struct NodeTrack {
    std::uint32_t node = 0;
    KeyTrack translation;
    KeyTrack rotation;
    KeyTrack scale;
};

// The morph weights of the meshes a node places, `targets` to a key.
struct WeightTrack {
    std::uint32_t node = 0;
    std::uint32_t targets = 0;
    KeyTrack weights;
};

// One clip of a model file, with nodes by their place in the file's node list.
struct AnimationClip {
    std::string name;
    float duration = 0.0f;  // seconds
    std::vector<NodeTrack> nodes;
    std::vector<WeightTrack> morphs;
};

}  // namespace qm
