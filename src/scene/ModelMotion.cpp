#include "ModelMotion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <ostream>
#include <sstream>
#include <unordered_map>

#include "DrawList.h"
#include "Mesh.h"
#include "MeshDeformation.h"
#include "MeshLOD.h"
#include "PointLight.h"
#include "SceneData.h"
#include "SceneObject.h"

namespace qm {

namespace {

// Grows `box` by the corners of `local` carried through `matrix`.
void growTransformed(BoundingBox& box, const glm::mat4& matrix, const BoundingBox& local)
{
    if (local.isEmpty())
        return;
    for (int corner = 0; corner < 8; ++corner) {
        const glm::vec3 p(corner & 1 ? local.max.x : local.min.x, corner & 2 ? local.max.y : local.min.y,
                          corner & 4 ? local.max.z : local.min.z);
        const glm::vec3 q(matrix * glm::vec4(p, 1.0f));
        box.grow(q);
    }
}

bool finite(const glm::vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

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

// A channel's keys in seconds, in time order, without keys that are not
// numbers (or whose time is not one in seconds).
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
        const float time = float(ticks[k] / ticksPerSecond);
        if (!std::isfinite(time) ||
            !std::all_of(first, first + std::ptrdiff_t(width), [](float x) { return std::isfinite(x); }))
            continue;
        track.times.push_back(time);
        track.values.insert(track.values.end(), first, first + std::ptrdiff_t(width));
    }
    return track;
}

float lastKey(const KeyTrack& track) { return track.empty() ? 0.0f : track.times.back(); }

// The nodes a morph channel's name means: the node of that name when it
// places a mesh with targets (glTF), or else every node placing a mesh of
// that name.
std::vector<std::uint32_t> morphedNodes(const std::string& name, const SceneData& scene,
                                        const std::unordered_map<std::string, std::uint32_t>& nodeByName)
{
    const auto hasTargets = [&](std::uint32_t n) {
        return std::any_of(scene.nodes[n].meshes.begin(), scene.nodes[n].meshes.end(),
                           [&](std::uint32_t m) { return !scene.meshes[m].morphTargets.empty(); });
    };
    if (const auto node = nodeByName.find(name); node != nodeByName.end() && hasTargets(node->second))
        return {node->second};
    std::vector<std::uint32_t> nodes;
    for (std::uint32_t n = 0; n < scene.nodes.size(); ++n)
        for (const std::uint32_t m : scene.nodes[n].meshes)
            if (scene.meshes[m].name == name && hasTargets(n) && std::find(nodes.begin(), nodes.end(), n) == nodes.end())
                nodes.push_back(n);
    return nodes;
}

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
        const std::vector<std::uint32_t> nodes = morphedNodes(channel.mesh, scene, nodeByName);
        if (nodes.empty())
            ++unnamed;
        for (const std::uint32_t n : nodes) {
            WeightTrack track;
            track.node = n;
            for (const std::uint32_t m : scene.nodes[n].meshes)
                track.targets = std::max(track.targets, std::uint32_t(scene.meshes[m].morphTargets.size()));
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

// Each morph target's lowest and highest weight over the clips for a node
// (0 at rest), for bounds that hold every shape the clips make.
std::vector<std::pair<float, float>> weightRanges(const std::vector<AnimationClip>& clips, std::uint32_t node,
                                                  std::size_t targets)
{
    std::vector<std::pair<float, float>> ranges(targets, {0.0f, 0.0f});
    for (const AnimationClip& clip : clips)
        for (const WeightTrack& track : clip.morphs) {
            if (track.node != node)
                continue;
            for (std::size_t v = 0; v < track.weights.values.size(); ++v) {
                const std::size_t t = v % track.targets;
                if (t >= targets)
                    continue;
                ranges[t].first = std::min(ranges[t].first, track.weights.values[v]);
                ranges[t].second = std::max(ranges[t].second, track.weights.values[v]);
            }
        }
    return ranges;
}

// The boxes of a mesh's vertices for each bone, as Deformer::boneBoxes
// describes, each vertex spread over what its targets make of it at the
// weights the clips give.
std::vector<BoundingBox> boneBoxes(const SceneMesh& mesh, const MeshDeformation& deformation,
                                   const std::vector<glm::mat4>& offsets,
                                   const std::vector<std::pair<float, float>>& weights)
{
    std::vector<BoundingBox> boxes(deformation.boneCount + 1, BoundingBox::empty());
    const std::size_t count = std::min<std::size_t>(mesh.vertexCount(), deformation.vertexCount);
    for (std::size_t v = 0; v < count; ++v) {
        const glm::vec3 p = glm::make_vec3(&mesh.positions[3 * v]);
        glm::vec3 lo = p, hi = p;
        for (std::uint32_t t = 0; t < deformation.morphTargets && t < weights.size(); ++t) {
            const glm::vec3& d = deformation.morphDeltas[2 * (std::size_t(t) * deformation.vertexCount + v)];
            const glm::vec3 a = weights[t].first * d, b = weights[t].second * d;
            lo += glm::min(a, b);
            hi += glm::max(a, b);
        }
        if (!finite(lo) || !finite(hi))
            continue;
        if (!deformation.skinned()) {
            boxes.back().grow(lo, hi);
            continue;
        }
        const SkinVertex& skin = deformation.skin[v];
        for (int k = 0; k < 4; ++k) {
            if (skin.weights[std::size_t(k)] == 0)
                continue;
            const std::uint16_t bone = skin.bones[std::size_t(k)];
            if (bone < deformation.boneCount)
                growTransformed(boxes[bone], offsets[bone], BoundingBox::fromMinMax(lo, hi));
            else
                boxes.back().grow(lo, hi);
        }
    }
    return boxes;
}

// The deformer of a placed mesh, or none when nothing moves its vertices.
std::optional<ModelMotion::Deformer> deformerFor(const SceneData& scene, const std::vector<AnimationClip>& clips,
                                                 const NodePlacement& placement,
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
    }
    deformer.block.assign(deformationBlockSize(deformation->boneCount), glm::mat4(0.0f));
    deformer.weights.assign(deformation->morphTargets, 0.0f);
    deformer.boneBoxes =
        boneBoxes(mesh, *deformation, deformer.offsets, weightRanges(clips, placement.node, deformation->morphTargets));
    return deformer;
}

// The heaviest weights, for the GPU's few morph slots, as the first matrix
// of a deformation block.
glm::mat4 morphSelection(const std::vector<float>& weights)
{
    std::array<std::pair<float, std::size_t>, maxActiveMorphTargets> kept{};
    for (std::size_t t = 0; t < weights.size(); ++t) {
        const auto lightest = std::min_element(kept.begin(), kept.end(), [](const auto& a, const auto& b) {
            return std::fabs(a.first) < std::fabs(b.first);
        });
        if (std::fabs(weights[t]) > std::fabs(lightest->first))
            *lightest = {weights[t], t};
    }
    glm::mat4 selection(0.0f);
    for (std::size_t slot = 0; slot < maxActiveMorphTargets; ++slot) {
        selection[int(slot / 4)][int(slot % 4)] = float(kept[slot].second);
        selection[int(2 + slot / 4)][int(slot % 4)] = kept[slot].first;
    }
    return selection;
}

std::string seconds(float value)
{
    std::ostringstream text;
    text.precision(3);
    text << value << " s";
    return text.str();
}

std::unordered_map<std::string, std::uint32_t> nodesByName(const SceneData& scene)
{
    std::unordered_map<std::string, std::uint32_t> byName;
    for (std::uint32_t n = 0; n < scene.nodes.size(); ++n)
        byName.emplace(scene.nodes[n].name, n);  // the first of a name, as the reader's channels mean it
    return byName;
}

}  // namespace

void ModelMotion::select(std::optional<std::size_t> clip)
{
    playing = clip && *clip < clips.size() ? clip : std::nullopt;
    clock = 0.0f;
}

void ModelMotion::continueFrom(const ModelMotion& previous)
{
    if (!previous.playing || *previous.playing < clips.size())
        select(previous.playing);
    setTime(previous.clock);
    paused = previous.paused;
}

void ModelMotion::step(int direction)
{
    const auto count = std::ptrdiff_t(clips.size());
    if (count == 0)
        return;
    const std::ptrdiff_t current = playing ? std::ptrdiff_t(*playing) : (direction > 0 ? -1 : 0);
    select(std::size_t(((current + direction) % count + count) % count));
}

void ModelMotion::setTime(float seconds)
{
    const float duration = playing ? clips[*playing].duration : 0.0f;
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
    if (digits && (number = std::stoul(choice)) >= 1 && number <= clips.size()) {
        select(std::optional<std::size_t>(number - 1));
        return true;
    }
    for (std::size_t c = 0; c < clips.size(); ++c) {
        if (clips[c].name == choice) {
            select(std::optional<std::size_t>(c));
            return true;
        }
    }
    return false;
}

std::string ModelMotion::clipLine() const
{
    if (!playing)
        return "Showing the rest pose.";
    const AnimationClip& clip = clips[*playing];
    return "Playing animation " + std::to_string(*playing + 1) + " of " + std::to_string(clips.size()) + ": \"" +
           clip.name + "\" (" + seconds(clip.duration) + ").";
}

std::string ModelMotion::listing() const
{
    std::string line = "Animations: ";
    for (std::size_t c = 0; c < clips.size(); ++c)
        line += (c > 0 ? ", " : "") + std::to_string(c + 1) + " \"" + clips[c].name + "\" (" +
                seconds(clips[c].duration) + ")";
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
            // Translation times rotation times scale, built in place.
            glm::mat4& m = local[track.node];
            m = glm::mat4_cast(r);
            m[0] *= s.x;
            m[1] *= s.y;
            m[2] *= s.z;
            m[3] = glm::vec4(t, 1.0f);
        }
    }
    // Parents come first: each parent's world matrix is final before its children's.
    for (std::size_t n = 0; n < nodes.size(); ++n)
        if (nodes[n].parent >= 0)
            world[n] = world[std::size_t(nodes[n].parent)] * local[n];
}

void ModelMotion::pose()
{
    const AnimationClip* clip = playing ? &clips[*playing] : nullptr;
    poseNodes(clip, clock);
    for (const NodePlacement& placement : placements) {
        SceneObject& object = *placement.object;
        // No inverse of the mesh's node is needed, so one scaled to nothing still draws its bones' vertices.
        const bool skinned = placement.deformer >= 0 && deformers[std::size_t(placement.deformer)].skinned();
        object.model = skinned ? root : root * world[placement.node];
        object.position = glm::vec3(object.model[3]);
    }
    for (Deformer& deformer : deformers) {
        if (deformer.skinned()) {
            for (std::size_t b = 0; b < deformer.boneNodes.size(); ++b)
                deformer.block[1 + b] = world[deformer.boneNodes[b]] * deformer.offsets[b];
            deformer.block.back() = world[deformer.node];
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
        deformer.block[0] = morphSelection(deformer.weights);
    }
}

void ModelMotion::growBoxes(std::vector<BoundingBox>& boxes) const
{
    for (std::size_t i = 0; i < placements.size(); ++i) {
        const NodePlacement& placement = placements[i];
        const SceneObject& object = *placement.object;
        const glm::mat4 model = root * world[placement.node];
        if (placement.deformer >= 0) {
            const Deformer& deformer = deformers[std::size_t(placement.deformer)];
            for (std::size_t b = 0; b < deformer.boneNodes.size(); ++b)
                growTransformed(boxes[i], root * world[deformer.boneNodes[b]], deformer.boneBoxes[b]);
            growTransformed(boxes[i], model, deformer.boneBoxes.back());
        } else if (const MeshLOD* chain = object.getMeshLOD().get()) {
            growTransformed(boxes[i], model, chain->boundingBox);
        } else if (object.light) {
            const glm::vec3 centre(model[3]);
            boxes[i].grow(centre - glm::vec3(object.light->radius), centre + glm::vec3(object.light->radius));
        }
    }
}

std::optional<BoundingBox> ModelMotion::fitBounds()
{
    std::vector<BoundingBox> boxes(placements.size(), BoundingBox::empty());
    poseNodes(nullptr, 0.0f);
    growBoxes(boxes);
    for (const AnimationClip& clip : clips) {
        std::vector<float> keys{0.0f, clip.duration};
        for (const NodeTrack& track : clip.nodes)
            for (const KeyTrack* keyed : {&track.translation, &track.rotation, &track.scale})
                keys.insert(keys.end(), keyed->times.begin(), keyed->times.end());
        for (const WeightTrack& track : clip.morphs)
            keys.insert(keys.end(), track.weights.times.begin(), track.weights.times.end());
        std::sort(keys.begin(), keys.end());
        keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
        // Eight steps between keys: a bone turning a right angle between
        // two keys sweeps an arc that the samples then follow within 0.5 %
        // of its radius. Long clips baked at every frame are spread over
        // at most 4000 samples, the last key always among them.
        constexpr int steps = 8;
        constexpr std::size_t most = 4000;
        const std::size_t stride = std::max<std::size_t>(1, keys.size() * steps / most);
        std::vector<float> samples;
        for (std::size_t k = 0; k + 1 < keys.size(); k += stride) {
            const float from = keys[k], to = keys[std::min(k + stride, keys.size() - 1)];
            for (int s = 0; s < steps; ++s)
                samples.push_back(from + (to - from) * float(s) / float(steps));
        }
        samples.push_back(keys.back());
        for (const float time : samples) {
            poseNodes(&clip, time);
            growBoxes(boxes);
        }
    }
    std::optional<BoundingBox> all;
    for (std::size_t i = 0; i < placements.size(); ++i) {
        SceneObject& object = *placements[i].object;
        if (boxes[i].isEmpty() || !finite(boxes[i].min) || !finite(boxes[i].max))
            continue;
        object.boundingBox.grow(boxes[i].min, boxes[i].max);
        if (!object.getMeshLOD())
            continue;
        if (!all)
            all = BoundingBox::empty();
        all->grow(boxes[i].min, boxes[i].max);
    }
    return all;
}

std::vector<AnimationClip> readClips(const SceneData& scene, std::ostream& problems)
{
    const std::unordered_map<std::string, std::uint32_t> nodeByName = nodesByName(scene);
    std::vector<AnimationClip> clips;
    std::size_t unnamed = 0;
    for (const SceneAnimation& animation : scene.animations) {
        AnimationClip clip = convertClip(animation, scene, nodeByName, unnamed);
        if (!clip.nodes.empty() || !clip.morphs.empty())
            clips.push_back(std::move(clip));
    }
    if (unnamed > 0)
        problems << "Leaving out " << unnamed << " animation channels that name no node of the file." << std::endl;
    return clips;
}

std::shared_ptr<ModelMotion> buildModelMotion(const SceneData& scene, std::vector<AnimationClip> clips,
                                              const glm::mat4& root, std::vector<NodePlacement> placements,
                                              std::ostream& problems)
{
    if (clips.empty())
        return nullptr;
    auto motion = std::make_shared<ModelMotion>();
    motion->root = root;
    for (const SceneNode& from : scene.nodes) {
        ModelMotion::Node node;
        node.parent = from.parent;
        node.rest = glm::make_mat4(from.transform.data());
        decompose(node);
        motion->nodes.push_back(node);
    }
    motion->clips = std::move(clips);
    const std::unordered_map<std::string, std::uint32_t> nodeByName = nodesByName(scene);
    std::size_t lostBones = 0;
    for (NodePlacement& placement : placements) {
        placement.deformer = -1;
        if (std::optional<ModelMotion::Deformer> deformer =
                deformerFor(scene, motion->clips, placement, nodeByName, lostBones)) {
            placement.deformer = std::int32_t(motion->deformers.size());
            motion->deformers.push_back(std::move(*deformer));
        }
    }
    motion->placements = std::move(placements);
    if (lostBones > 0)
        problems << "Leaving " << lostBones << " bones that name no node of the file with their meshes." << std::endl;
    motion->select(std::size_t(0));
    return motion;
}

}  // namespace qm
