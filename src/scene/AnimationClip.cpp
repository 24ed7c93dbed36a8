#include "AnimationClip.h"

#include <algorithm>

namespace qm {

namespace {

// The key at or before `time` and how far towards the next one `time` lies (0 to 1).
struct KeySpan {
    std::size_t key = 0;
    std::size_t next = 0;
    float blend = 0.0f;
};

KeySpan findSpan(const std::vector<float>& times, float time)
{
    if (times.size() < 2 || !(time > times.front()))
        return {};
    const std::size_t last = times.size() - 1;
    if (time >= times[last])
        return {last, last, 0.0f};
    const std::size_t next = std::size_t(std::upper_bound(times.begin(), times.end(), time) - times.begin());
    const float length = times[next] - times[next - 1];
    return {next - 1, next, length > 0.0f ? (time - times[next - 1]) / length : 0.0f};
}

}  // namespace

glm::vec3 sampleVector(const KeyTrack& track, float time)
{
    const KeySpan span = findSpan(track.times, time);
    const glm::vec3 a = glm::make_vec3(&track.values[3 * span.key]);
    const glm::vec3 b = glm::make_vec3(&track.values[3 * span.next]);
    return glm::mix(a, b, span.blend);
}

glm::quat sampleRotation(const KeyTrack& track, float time)
{
    const KeySpan span = findSpan(track.times, time);
    const float* a = &track.values[4 * span.key];
    const float* b = &track.values[4 * span.next];
    const glm::quat from(a[3], a[0], a[1], a[2]);
    glm::quat to(b[3], b[0], b[1], b[2]);
    if (glm::dot(from, to) < 0.0f)
        to = -to;  // the short way round
    const glm::quat q = glm::slerp(from, to, span.blend);
    const float length = glm::length(q);
    return length > 0.0f ? q / length : glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
}

void sampleWeights(const KeyTrack& track, float time, std::span<float> out)
{
    const KeySpan span = findSpan(track.times, time);
    const std::size_t width = out.size();
    for (std::size_t t = 0; t < width; ++t)
        out[t] = glm::mix(track.values[width * span.key + t], track.values[width * span.next + t], span.blend);
}

}  // namespace qm
