#include "ModelMotion.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>
#include <sstream>
#include <unordered_map>

#include "Mesh.h"
#include "MeshDeformation.h"
#include "MeshLOD.h"
#include "PointLight.h"
#include "SceneData.h"
#include "SceneObject.h"

namespace qm {

namespace {

// A box that holds nothing yet: growing it by anything gives that thing's box.
BoundingBox emptyBox()
{
    const glm::vec3 far(std::numeric_limits<float>::max());
    return {glm::vec3(0.0f), glm::vec3(0.0f), far, -far};
}

bool isEmpty(const BoundingBox& box) { return box.min.x > box.max.x; }

void grow(BoundingBox& box, const glm::vec3& lo, const glm::vec3& hi)
{
    box = BoundingBox::fromMinMax(glm::min(box.min, lo), glm::max(box.max, hi));
}

// Grows `box` by the corners of `local` carried through `matrix`.
void growTransformed(BoundingBox& box, const glm::mat4& matrix, const BoundingBox& local)
{
    if (isEmpty(local))
        return;
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 p(corner & 1 ? local.max.x : local.min.x, corner & 2 ? local.max.y : local.min.y,
                          corner & 4 ? local.max.z : local.min.z);
        const glm::vec3 q(matrix * glm::vec4(p, 1.0f));
        grow(box, q, q);
    }
}

// A node's rest matrix as translation, rotation and scale, for channels
// that replace one of them; a mirrored matrix takes the mirror in its scale.
void decompose(ModelMotion::Node& node)
{
    const glm::mat4& m = node.rest;
    node.translation = glm::vec3(m[3]);
    glm::mat3 axes(m);
    node.scale = {glm::length(axes[0]), glm::length(axes[1]), glm::length(axes[2])};
    if (glm::determinant(axes) < 0.0f)
        node.scale.x = -node.scale.x;
    for (int c = 0; c < 3; ++c)
        axes[c] = node.scale[c] != 0.0f ? axes[c] / node.scale[c] : glm::vec3(c == 0, c == 1, c == 2);
    node.rotation = glm::normalize(glm::quat_cast(axes));
}

bool finite(const glm::vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A channel's keys in seconds, in time order, without keys that are not numbers.
KeyTrack keyTrack(const std::vector<double>& ticks, const std::vector<float>& values, std::size_t width,
                  double ticksPerSecond)
{
    KeyTrack track;
    if (values.size() != ticks.size() * width)
        return track;
    std::vector<std::size_t> order(ticks.size());
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return ticks[a] < ticks[b]; });
    for (const std::size_t k : order) {
        const auto first = values.begin() + std::ptrdiff_t(k * width);
        if (!std::isfinite(ticks[k]) || !std::all_of(first, first + std::ptrdiff_t(width), [](float x) { return std::isfinite(x); }))
            continue;
        track.times.push_back(float(ticks[k] / ticksPerSecond));
        track.values.insert(track.values.end(), first, first + std::ptrdiff_t(width));
    }
    return track;
}

float lastKey(const KeyTrack& track) { return track.empty() ? 0.0f : track.times.back(); }

// The file's clip in seconds, with its channels tied to node numbers.
AnimationClip convertClip(const SceneAnimation& from, const SceneData& scene,
                          const std::unordered_map<std::string, std::uint32_t>& nodeByName, std::size_t& unnamed)
{
    // Files that give no rate mean the reader's default of 25 ticks a second.
    const double rate = from.ticksPerSecond > 0.0 && std::isfinite(from.ticksPerSecond) ? from.ticksPerSecond : 25.0;
    AnimationClip clip;
    clip.name = from.name;
    float end = 0.0f;
    for (const NodeChannel& channel : from.nodeChannels) {
        const auto node = nodeByName.find(channel.node);
        if (node == nodeByName.end()) {
            ++unnamed;
            continue;
        }
        NodeTrack track;
        track.node = node->second;
        track.translation = keyTrack(channel.positionTimes, channel.positions, 3, rate);
        track.rotation = keyTrack(channel.rotationTimes, channel.rotations, 4, rate);
        track.scale = keyTrack(channel.scaleTimes, channel.scales, 3, rate);
        if (track.translation.empty() && track.rotation.empty() && track.scale.empty())
            continue;
        end = std::max({end, lastKey(track.translation), lastKey(track.rotation), lastKey(track.scale)});
        clip.nodes.push_back(std::move(track));
    }
    for (const MorphChannel& channel : from.morphChannels) {
        // The node that places the morphing mesh (glTF), or else every node
        // placing a mesh of that name.
        std::vector<std::uint32_t> targetsOf;
        if (const auto node = nodeByName.find(channel.mesh); node != nodeByName.end()) {
            targetsOf.push_back(node->second);
        } else {
            for (std::uint32_t n = 0; n < scene.nodes.size(); ++n)
                for (const std::uint32_t m : scene.nodes[n].meshes)
                    if (scene.meshes[m].name == channel.mesh && std::find(targetsOf.begin(), targetsOf.end(), n) == targetsOf.end())
                        targetsOf.push_back(n);
        }
        if (targetsOf.empty())
            ++unnamed;
        for (const std::uint32_t n : targetsOf) {
            WeightTrack track;
            track.node = n;
            for (const std::uint32_t m : scene.nodes[n].meshes)
                track.targets = std::max(track.targets, std::uint32_t(scene.meshes[m].morphTargets.size()));
            if (track.targets == 0)
                continue;
            std::vector<double> ticks;
            std::vector<float> dense;
            for (std::size_t k = 0; k + 1 < channel.offsets.size() && k < channel.times.size(); ++k) {
                ticks.push_back(channel.times[k]);
                const std::size_t start = dense.size();
                dense.resize(start + track.targets, 0.0f);
                for (std::uint32_t j = channel.offsets[k]; j < channel.offsets[k + 1]; ++j)
                    if (channel.targets[j] < track.targets)
                        dense[start + channel.targets[j]] = channel.weights[j];
            }
            track.weights = keyTrack(ticks, dense, track.targets, rate);
            if (track.weights.empty())
                continue;
            end = std::max(end, lastKey(track.weights));
            clip.morphs.push_back(std::move(track));
        }
    }
    const double duration = from.duration / rate;
    clip.duration = duration > 0.0 && std::isfinite(duration) ? float(duration) : end;
    return clip;
}

// The boxes of a mesh's vertices for each bone, as Deformer::boneBoxes
// describes, with every vertex spread over what its morph targets can make
// of it (weights 0 to 1).
std::vector<BoundingBox> boneBoxes(const SceneMesh& mesh, const MeshDeformation& deformation,
                                   const std::vector<glm::mat4>& offsets)
{
    std::vector<BoundingBox> boxes(deformation.boneCount + 1, emptyBox());
    const std::size_t count = std::min<std::size_t>(mesh.vertexCount(), deformation.vertexCount);
    for (std::size_t v = 0; v < count; ++v) {
        const glm::vec3 p = glm::make_vec3(&mesh.positions[3 * v]);
        glm::vec3 lo = p, hi = p;
        for (std::uint32_t t = 0; t < deformation.morphTargets; ++t) {
            const glm::vec3& d = deformation.morphDeltas[2 * (std::size_t(t) * deformation.vertexCount + v)];
            lo += glm::min(d, glm::vec3(0.0f));
            hi += glm::max(d, glm::vec3(0.0f));
        }
        if (!finite(lo) || !finite(hi))
            continue;
        const BoundingBox own = BoundingBox::fromMinMax(lo, hi);
        if (!deformation.skinned()) {
            grow(boxes.back(), lo, hi);
            continue;
        }
        const SkinVertex& skin = deformation.skin[v];
        for (int k = 0; k < 4; ++k) {
            if (skin.weights[std::size_t(k)] == 0)
                continue;
            const std::uint16_t bone = skin.bones[std::size_t(k)];
            if (bone < deformation.boneCount)
                growTransformed(boxes[bone], offsets[bone], own);
            else
                grow(boxes.back(), lo, hi);
        }
    }
    return boxes;
}

// The deformer of a placed mesh, or none when nothing moves its vertices.
std::optional<ModelMotion::Deformer> deformerFor(const SceneData& scene, const NodePlacement& placement,
                                                 const std::unordered_map<std::string, std::uint32_t>& nodeByName,
                                                 std::size_t& lostBones)
{
    const MeshLOD* chain = placement.object->getMeshLOD().get();
    const MeshDeformation* deformation = chain && chain->levels[0] ? chain->levels[0]->deformation.get() : nullptr;
    if (!deformation || placement.mesh < 0)
        return std::nullopt;
    const SceneMesh& mesh = scene.meshes[std::size_t(placement.mesh)];
    ModelMotion::Deformer deformer;
    deformer.node = placement.node;
    if (deformation->skinned()) {
        for (const SceneBone& bone : mesh.bones) {
            const auto node = nodeByName.find(bone.node);
            // A bone without its node stays with the mesh.
            if (node == nodeByName.end())
                ++lostBones;
            deformer.boneNodes.push_back(node == nodeByName.end() ? placement.node : node->second);
            deformer.offsets.push_back(node == nodeByName.end() ? glm::mat4(1.0f) : glm::make_mat4(bone.offset.data()));
        }
        deformer.palette.assign(deformer.boneNodes.size() + 1, glm::mat4(1.0f));
    }
    deformer.weights.assign(deformation->morphTargets, 0.0f);
    deformer.boneBoxes = boneBoxes(mesh, *deformation, deformer.offsets);
    return deformer;
}

// The heaviest weights, for the GPU's few morph slots.
MorphWeights heaviest(const std::vector<float>& weights)
{
    MorphWeights morph;
    for (std::size_t t = 0; t < weights.size(); ++t) {
        const float w = weights[t];
        if (!(std::fabs(w) > 0.0f))
            continue;
        std::size_t slot = std::size_t(morph.count);
        if (slot == maxActiveMorphTargets) {
            const auto lightest = std::min_element(morph.weights.begin(), morph.weights.end(),
                                                   [](float a, float b) { return std::fabs(a) < std::fabs(b); });
            if (std::fabs(*lightest) >= std::fabs(w))
                continue;
            slot = std::size_t(lightest - morph.weights.begin());
        } else {
            ++morph.count;
        }
        morph.targets[slot] = std::int32_t(t);
        morph.weights[slot] = w;
    }
    return morph;
}

}  // namespace

void ModelMotion::select(std::optional<std::size_t> clip)
{
    playing = clip && *clip < clipList.size() ? clip : std::nullopt;
    clock = 0.0f;
}

void ModelMotion::step(int direction)
{
    const auto count = std::ptrdiff_t(clipList.size());
    if (count == 0)
        return;
    const std::ptrdiff_t current = playing ? std::ptrdiff_t(*playing) : (direction > 0 ? -1 : 0);
    select(std::size_t(((current + direction) % count + count) % count));
}

void ModelMotion::setTime(float seconds)
{
    const float duration = playing ? clipList[*playing].duration : 0.0f;
    clock = duration > 0.0f && std::isfinite(seconds) ? std::fmod(seconds, duration) : 0.0f;
    if (clock < 0.0f)
        clock += duration;
}

void ModelMotion::advance(float seconds)
{
    if (!paused)
        setTime(clock + seconds);
}

bool ModelMotion::choose(const std::string& choice)
{
    if (choice == "none") {
        select(std::nullopt);
        return true;
    }
    std::size_t number = 0;
    const bool digits = !choice.empty() && choice.size() < 10 &&
                        std::all_of(choice.begin(), choice.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (digits && (number = std::stoul(choice)) >= 1 && number <= clipList.size()) {
        select(std::optional<std::size_t>(number - 1));
        return true;
    }
    for (std::size_t c = 0; c < clipList.size(); ++c) {
        if (clipList[c].name == choice) {
            select(std::optional<std::size_t>(c));
            return true;
        }
    }
    return false;
}

namespace {

std::string seconds(float value)
{
    std::ostringstream text;
    text.precision(3);
    text << value << " s";
    return text.str();
}

}  // namespace

std::string ModelMotion::clipLine() const
{
    if (!playing)
        return "Showing the rest pose.";
    const AnimationClip& clip = clipList[*playing];
    return "Playing animation " + std::to_string(*playing + 1) + " of " + std::to_string(clipList.size()) + ": \"" +
           clip.name + "\" (" + seconds(clip.duration) + ").";
}

std::string ModelMotion::listing() const
{
    std::string line = "Animations: ";
    for (std::size_t c = 0; c < clipList.size(); ++c)
        line += (c > 0 ? ", " : "") + std::to_string(c + 1) + " \"" + clipList[c].name + "\" (" +
                seconds(clipList[c].duration) + ")";
    return line + ".";
}

void ModelMotion::poseNodes(const AnimationClip* clip, float time)
{
    world.resize(nodes.size());
    std::vector<glm::mat4>& local = world;  // each world matrix starts as the node's own
    for (std::size_t n = 0; n < nodes.size(); ++n)
        local[n] = nodes[n].rest;
    if (clip) {
        for (const NodeTrack& track : clip->nodes) {
            const Node& node = nodes[track.node];
            const glm::vec3 t = track.translation.empty() ? node.translation : sampleVector(track.translation, time);
            const glm::quat r = track.rotation.empty() ? node.rotation : sampleRotation(track.rotation, time);
            const glm::vec3 s = track.scale.empty() ? node.scale : sampleVector(track.scale, time);
            local[track.node] = glm::scale(glm::translate(glm::mat4(1.0f), t) * glm::mat4_cast(r), s);
        }
    }
    // Parents come first: each parent's world matrix is final before its children's.
    for (std::size_t n = 0; n < nodes.size(); ++n)
        if (nodes[n].parent >= 0)
            world[n] = world[std::size_t(nodes[n].parent)] * local[n];
}

void ModelMotion::pose()
{
    const AnimationClip* clip = playing ? &clipList[*playing] : nullptr;
    poseNodes(clip, clock);
    for (const Placement& placement : placed) {
        SceneObject& object = *placement.object;
        object.model = root * world[placement.node];
        object.position = glm::vec3(object.model[3]);
    }
    for (Deformer& deformer : deformerList) {
        if (!deformer.palette.empty()) {
            const glm::mat4 meshFrame = glm::inverse(world[deformer.node]);
            for (std::size_t b = 0; b < deformer.boneNodes.size(); ++b)
                deformer.palette[b] = meshFrame * world[deformer.boneNodes[b]] * deformer.offsets[b];
        }
        if (deformer.weights.empty())
            continue;
        std::fill(deformer.weights.begin(), deformer.weights.end(), 0.0f);
        for (std::size_t m = 0; clip && m < clip->morphs.size(); ++m) {
            const WeightTrack& track = clip->morphs[m];
            if (track.node != deformer.node)
                continue;
            // The track is as wide as the node's widest mesh.
            weightScratch.resize(track.targets);
            sampleWeights(track.weights, clock, weightScratch);
            std::copy_n(weightScratch.begin(), std::min(weightScratch.size(), deformer.weights.size()),
                        deformer.weights.begin());
        }
        deformer.morph = heaviest(deformer.weights);
    }
}

void ModelMotion::growBoxes(std::vector<BoundingBox>& boxes) const
{
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const Placement& placement = placed[i];
        const SceneObject& object = *placement.object;
        const glm::mat4 model = root * world[placement.node];
        if (placement.deformer >= 0) {
            const Deformer& deformer = deformerList[std::size_t(placement.deformer)];
            for (std::size_t b = 0; b < deformer.boneNodes.size(); ++b)
                growTransformed(boxes[i], root * world[deformer.boneNodes[b]], deformer.boneBoxes[b]);
            growTransformed(boxes[i], model, deformer.boneBoxes.back());
        } else if (const MeshLOD* chain = object.getMeshLOD().get()) {
            growTransformed(boxes[i], model, chain->boundingBox);
        } else if (object.light) {
            const glm::vec3 centre(model[3]);
            grow(boxes[i], centre - glm::vec3(object.light->radius), centre + glm::vec3(object.light->radius));
        }
    }
}

BoundingBox ModelMotion::fitBounds()
{
    std::vector<BoundingBox> boxes(placed.size(), emptyBox());
    poseNodes(nullptr, 0.0f);
    growBoxes(boxes);
    for (const AnimationClip& clip : clipList) {
        std::vector<float> times{0.0f, clip.duration};
        for (const NodeTrack& track : clip.nodes)
            for (const KeyTrack* keys : {&track.translation, &track.rotation, &track.scale})
                times.insert(times.end(), keys->times.begin(), keys->times.end());
        for (const WeightTrack& track : clip.morphs)
            times.insert(times.end(), track.weights.times.begin(), track.weights.times.end());
        std::sort(times.begin(), times.end());
        times.erase(std::unique(times.begin(), times.end()), times.end());
        // Halfway between keys too: a turning bone sweeps an arc between them.
        std::vector<float> samples;
        for (std::size_t k = 0; k < times.size(); ++k) {
            if (k > 0)
                samples.push_back(0.5f * (times[k - 1] + times[k]));
            samples.push_back(times[k]);
        }
        // Long clips baked at every frame: an even spread of samples is enough.
        constexpr std::size_t most = 600;
        const std::size_t stride = (samples.size() + most - 1) / most;
        const AnimationClip* sampled = &clip;
        for (std::size_t k = 0; k < samples.size(); k += stride) {
            poseNodes(sampled, samples[k]);
            growBoxes(boxes);
        }
    }
    BoundingBox all = emptyBox();
    for (std::size_t i = 0; i < placed.size(); ++i) {
        SceneObject& object = *placed[i].object;
        if (isEmpty(boxes[i]) || !finite(boxes[i].min) || !finite(boxes[i].max))
            continue;
        grow(object.boundingBox, boxes[i].min, boxes[i].max);
        if (object.getMeshLOD())
            grow(all, boxes[i].min, boxes[i].max);
    }
    return isEmpty(all) ? BoundingBox{} : all;
}

std::shared_ptr<ModelMotion> buildModelMotion(const SceneData& scene, const glm::mat4& root,
                                              std::span<const NodePlacement> placements)
{
    auto motion = std::make_shared<ModelMotion>();
    motion->root = root;
    std::unordered_map<std::string, std::uint32_t> nodeByName;
    for (std::uint32_t n = 0; n < scene.nodes.size(); ++n) {
        const SceneNode& from = scene.nodes[n];
        ModelMotion::Node node;
        node.parent = from.parent;
        node.rest = glm::make_mat4(from.transform.data());
        decompose(node);
        motion->nodes.push_back(node);
        nodeByName.emplace(from.name, n);  // the first of a name, as the reader's channels mean it
    }
    std::size_t unnamed = 0;
    for (const SceneAnimation& animation : scene.animations) {
        AnimationClip clip = convertClip(animation, scene, nodeByName, unnamed);
        if (!clip.nodes.empty() || !clip.morphs.empty())
            motion->clipList.push_back(std::move(clip));
    }
    if (unnamed > 0)
        std::cerr << "Leaving out " << unnamed << " animation channels that name no node of the file." << std::endl;
    if (motion->clipList.empty())
        return nullptr;
    std::size_t lostBones = 0;
    for (const NodePlacement& placement : placements) {
        ModelMotion::Placement entry{placement.object, placement.node, -1};
        if (std::optional<ModelMotion::Deformer> deformer = deformerFor(scene, placement, nodeByName, lostBones)) {
            entry.deformer = std::int32_t(motion->deformerList.size());
            motion->deformerList.push_back(std::move(*deformer));
        }
        motion->placed.push_back(std::move(entry));
    }
    if (lostBones > 0)
        std::cerr << "Leaving " << lostBones << " bones that name no node of the file with their meshes." << std::endl;
    motion->select(std::size_t(0));
    return motion;
}

}  // namespace qm
