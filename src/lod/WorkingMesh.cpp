#include "WorkingMesh.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <iostream>
#include <limits>
#include <numeric>
#include <tuple>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qm {

namespace {

// Normalised, or zero for a zero vector: no division by zero, no NaN.
glm::vec3 normalisedOrZero(const glm::vec3& v)
{
    const float length = std::sqrt(glm::dot(v, v));
    return length > 0.0f ? v / length : glm::vec3(0.0f);
}

// The first n elements of v, making room for them where there is none yet;
// never shrinks, so that scratch space is allocated once.
template <typename T>
T* roomFor(std::vector<T>& v, std::size_t n)
{
    if (v.size() < n)
        v.resize(n);
    return v.data();
}

// The smallest of value(0) to value(n - 1), n > 0. In a large fan it is
// sought in eight runs side by side, which the compiler keeps in vector
// registers; the smallest of numbers does not depend on the order they are
// looked at in.
template <typename Value>
float smallest(std::size_t n, Value value)
{
    constexpr std::size_t lanes = 8;
    float least = value(0);
    std::size_t i = 1;
    if (n >= 2 * lanes) {
        std::array<float, lanes> runs;
        runs.fill(least);
        for (i = 0; i + lanes <= n; i += lanes) {
            for (std::size_t lane = 0; lane < lanes; ++lane)
                runs[lane] = std::min(runs[lane], value(i + lane));
        }
        least = *std::min_element(runs.begin(), runs.end());
    }
    for (; i < n; ++i)
        least = std::min(least, value(i));
    return least;
}

// How much an edge bends the surface, from the flattest that the worst-held
// face is held against its sides: 0 for flat, 1 for folded back.
float curvatureOf(float flattest)
{
    return std::max(0.0f, std::min(1.0f, (1.0f - flattest) * 0.5f));
}

}  // namespace

// The faces around one vertex as the edge costs read them: their corners
// and normals, copied out once, and for a small fan the dot products of the
// normals, pair by pair, worked out once for the cost of every edge. Where
// the processor has SSE2, fans of up to eight faces take `EightFaces`
// instead, which gives the same costs.
class WorkingMesh::FaceTable {
public:
    FaceTable(std::uint32_t vertex, std::span<const std::uint32_t> faces, std::span<const std::uint32_t> neighbours,
              const std::vector<Triangle>& triangles, CostRoom& room)
        : count_(faces.size()), neighbours_(neighbours), room_(room), corners_(roomFor(room.corners, count_)),
          nx_(roomFor(room.normals, 3 * count_)), ny_(nx_ + count_), nz_(ny_ + count_),
          sides_(roomFor(room.sides, count_ + 1))
    {
        // The normals one array a coordinate, so that dot products are
        // worked out several at a time, in glm::dot's order of operations.
        for (std::size_t i = 0; i < count_; ++i) {
            const Triangle& t = triangles[faces[i]];
            corners_[i] = t.corners;
            nx_[i] = t.normal.x;
            ny_[i] = t.normal.y;
            nz_[i] = t.normal.z;
        }
        if (count_ > scanLimit) {
            fileSides(vertex);
            return;
        }
        // A small fan's dot products, pair by pair, once for all its edges.
        dots_ = roomFor(room.dots, count_ * count_);
        for (std::size_t i = 0; i < count_; ++i) {
            float* row = dots_ + i * count_;
            for (std::size_t j = 0; j < count_; ++j)
                row[j] = nx_[i] * nx_[j] + ny_[i] * ny_[j] + nz_[i] * nz_[j];
        }
    }

    // Each face is held against the side (a face on the edge, usually one of
    // two) it bends least from, and the bend is the worst of those. The
    // least bend from a set of sides is the one of the largest dot product;
    // the worst of those, the one of the smallest.
    float edgeCost(std::size_t slot, const glm::vec3& from, const glm::vec3& to)
    {
        const float length = glm::distance(from, to);
        const std::uint32_t* sides = sides_;
        std::size_t sideCount = 0;
        if (count_ > scanLimit) {
            const std::uint32_t* firstSide = room_.firstSide.data();
            sides = room_.filed.data() + firstSide[slot];
            sideCount = firstSide[slot + 1] - firstSide[slot];
        } else {
            // Without branches: whether a face holds v is as good as random.
            const std::uint32_t v = neighbours_[slot];
            const std::array<std::uint32_t, 3>* corners = corners_;
            std::uint32_t* found = sides_;
            for (std::size_t i = 0; i < count_; ++i) {
                const auto& c = corners[i];
                found[sideCount] = std::uint32_t(i);
                sideCount += std::size_t(int(c[0] == v) | int(c[1] == v) | int(c[2] == v));
            }
        }
        if (sideCount == 0)
            return 0.0f;
        // The dot products are symmetric: the row of a side holds every face's.
        // A large fan's table would outgrow the caches, and each of its
        // entries is read by two edges only: they are worked out as needed.
        const float flattest =
            count_ <= scanLimit
                ? flattestFrom(sides, sideCount, [&](std::size_t side, std::size_t i) { return dots_[side * count_ + i]; })
                : flattestFrom(sides, sideCount, [&](std::size_t side, std::size_t i) {
                      return nx_[side] * nx_[i] + ny_[side] * ny_[i] + nz_[side] * nz_[i];
                  });
        return curvatureOf(flattest) * length;
    }

private:
    // The smallest over the faces of the largest dot product with a side.
    template <typename Dot>
    float flattestFrom(const std::uint32_t* sides, std::size_t sideCount, Dot dot) const
    {
        const std::size_t first = sides[0];
        if (sideCount == 1)
            return smallest(count_, [&](std::size_t i) { return dot(first, i); });
        if (sideCount == 2) {
            const std::size_t second = sides[1];
            return smallest(count_, [&](std::size_t i) { return std::max(dot(first, i), dot(second, i)); });
        }
        float flattest = 1.0f;
        for (std::size_t i = 0; i < count_; ++i) {
            float closest = dot(first, i);
            for (std::size_t k = 1; k < sideCount; ++k)
                closest = std::max(closest, dot(sides[k], i));
            flattest = i == 0 ? closest : std::min(flattest, closest);
        }
        return flattest;
    }

    // Up to this many faces, each edge finds its sides by looking at every
    // face; a vertex with more (a fan that has taken in many collapses) has
    // them filed by neighbour once, since looking would cost faces times
    // neighbours.
    static constexpr std::size_t scanLimit = 16;

    // The sides of every neighbour, in face order: the faces that hold it.
    void fileSides(std::uint32_t vertex)
    {
        // Each neighbour's slot by its number, the first where one is listed twice.
        std::uint32_t* slotOf = room_.slotOf.data();
        for (std::size_t slot = neighbours_.size(); slot-- > 0;)
            slotOf[neighbours_[slot]] = std::uint32_t(slot);
        std::array<std::uint32_t, 3>* faceSlots = roomFor(room_.faceSlots, count_);
        std::vector<std::uint32_t>& firstSide = room_.firstSide;
        firstSide.assign(neighbours_.size() + 1, 0);
        for (std::size_t i = 0; i < count_; ++i) {
            for (std::size_t k = 0; k < 3; ++k) {
                const std::uint32_t corner = corners_[i][k];
                std::uint32_t slot = corner == vertex ? none : slotOf[corner];
                // A face with the same neighbour at two corners is one side of it.
                for (std::size_t earlier = 0; earlier < k; ++earlier) {
                    if (faceSlots[i][earlier] == slot)
                        slot = none;
                }
                faceSlots[i][k] = slot;
                if (slot != none)
                    ++firstSide[slot + 1];
            }
        }
        for (std::size_t slot = 0; slot < neighbours_.size(); ++slot)
            firstSide[slot + 1] += firstSide[slot];
        std::uint32_t* filed = roomFor(room_.filed, firstSide.back());
        room_.next.assign(firstSide.begin(), firstSide.end() - 1);
        for (std::size_t i = 0; i < count_; ++i) {
            for (const std::uint32_t slot : faceSlots[i]) {
                if (slot != none)
                    filed[room_.next[slot]++] = std::uint32_t(i);
            }
        }
        for (const std::uint32_t n : neighbours_)
            slotOf[n] = none;
    }

    std::size_t count_;
    std::span<const std::uint32_t> neighbours_;
    // Where the sides of each neighbour are filed, for a large fan:
    // neighbour j's are room_.filed[firstSide[j] .. firstSide[j + 1]).
    CostRoom& room_;
    std::array<std::uint32_t, 3>* corners_;
    float* nx_;
    float* ny_;
    float* nz_;
    // A small fan's dot products: row i holds face i's with every face.
    float* dots_ = nullptr;
    std::uint32_t* sides_;
};

#if defined(__SSE2__)
// The faces around a vertex with at most eight of them (nearly every vertex
// of a real mesh) as the edge costs read them, the same costs as a face
// table's worked out four faces to an instruction: each face's corners, and
// each face's dot products with every face, eight lanes in two vectors.
class WorkingMesh::EightFaces {
public:
    static constexpr std::size_t capacity = 8;

    EightFaces(std::span<const std::uint32_t> faces, std::span<const std::uint32_t> neighbours,
               const std::vector<Triangle>& triangles)
        : neighbours_(neighbours)
    {
        const std::size_t count = faces.size();
        // Lanes past the last face hold no vertex and face nothing: their
        // dot products are infinite, flatter than any face can be held.
        alignas(16) std::uint32_t corners[3][capacity];
        alignas(16) float normals[3][capacity] = {};
        alignas(16) std::int32_t past[capacity];
        std::fill_n(&corners[0][0], 3 * capacity, none);
        for (std::size_t i = 0; i < capacity; ++i)
            past[i] = i < count ? 0 : -1;
        for (std::size_t i = 0; i < count; ++i) {
            const Triangle& t = triangles[faces[i]];
            for (std::size_t k = 0; k < 3; ++k) {
                corners[k][i] = t.corners[k];
                normals[k][i] = t.normal[int(k)];
            }
        }
        Lanes n[3];
        for (std::size_t k = 0; k < 3; ++k) {
            corners_[k][0] = _mm_load_si128(reinterpret_cast<const __m128i*>(corners[k]));
            corners_[k][1] = _mm_load_si128(reinterpret_cast<const __m128i*>(corners[k] + 4));
            n[k] = {_mm_load_ps(normals[k]), _mm_load_ps(normals[k] + 4)};
        }
        const Lanes pastMask = {_mm_load_ps(reinterpret_cast<const float*>(past)),
                                _mm_load_ps(reinterpret_cast<const float*>(past + 4))};
        const __m128 infinite = _mm_set1_ps(std::numeric_limits<float>::infinity());
        // In glm::dot's order of operations, as a face table's.
        const auto dot = [&](const __m128& x, const __m128& y, const __m128& z, const __m128& nx, const __m128& ny,
                             const __m128& nz, const __m128& pastLanes) {
            const __m128 d = _mm_add_ps(_mm_add_ps(_mm_mul_ps(x, nx), _mm_mul_ps(y, ny)), _mm_mul_ps(z, nz));
            return _mm_or_ps(_mm_and_ps(pastLanes, infinite), _mm_andnot_ps(pastLanes, d));
        };
        for (std::size_t face = 0; face < count; ++face) {
            const __m128 x = _mm_set1_ps(normals[0][face]);
            const __m128 y = _mm_set1_ps(normals[1][face]);
            const __m128 z = _mm_set1_ps(normals[2][face]);
            dots_[face] = {dot(x, y, z, n[0].low, n[1].low, n[2].low, pastMask.low),
                           dot(x, y, z, n[0].high, n[1].high, n[2].high, pastMask.high)};
        }
    }

    // As a face table's edge cost, lane by lane: std::max(a, b) is
    // _mm_max_ps(b, a) and std::min(a, b) is _mm_min_ps(b, a), NaN included.
    float edgeCost(std::size_t slot, const glm::vec3& from, const glm::vec3& to) const
    {
        const float length = glm::distance(from, to);
        // The sides: a bit for each face that holds the neighbour.
        const __m128i v = _mm_set1_epi32(int(neighbours_[slot]));
        unsigned sides = 0;
        for (std::size_t half = 0; half < 2; ++half) {
            const __m128i holds = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi32(corners_[0][half], v), _mm_cmpeq_epi32(corners_[1][half], v)),
                _mm_cmpeq_epi32(corners_[2][half], v));
            sides |= unsigned(_mm_movemask_ps(_mm_castsi128_ps(holds))) << (4 * half);
        }
        if (sides == 0)
            return 0.0f;
        Lanes closest = dots_[__builtin_ctz(sides)];
        for (sides &= sides - 1; sides != 0; sides &= sides - 1) {
            const Lanes& row = dots_[__builtin_ctz(sides)];
            closest = {_mm_max_ps(row.low, closest.low), _mm_max_ps(row.high, closest.high)};
        }
        // Every lane first takes the first face's where that is smaller, for
        // the reason `smallest` gives; then the smallest lane.
        const __m128 first = _mm_shuffle_ps(closest.low, closest.low, 0);
        __m128 least = _mm_min_ps(_mm_min_ps(closest.low, first), _mm_min_ps(closest.high, first));
        least = _mm_min_ps(least, _mm_movehl_ps(least, least));
        least = _mm_min_ps(least, _mm_shuffle_ps(least, least, 1));
        return curvatureOf(_mm_cvtss_f32(least)) * length;
    }

private:
    struct Lanes {
        __m128 low;
        __m128 high;
    };
    std::span<const std::uint32_t> neighbours_;
    __m128i corners_[3][2];
    // Row i holds face i's dot product with every face.
    Lanes dots_[capacity];
};
#endif

template <typename Work>
auto WorkingMesh::withFaces(std::uint32_t v, Work work) const
{
    const auto around = neighbours(v);
    const auto fan = faces(v);
#if defined(__SSE2__)
    if (fan.size() <= EightFaces::capacity)
        return work(EightFaces(fan, around, triangles_));
#endif
    return work(FaceTable(v, fan, around, triangles_, room_));
}

namespace {

// For each input vertex, the first vertex (in position order) of the run of
// positions within 0.0001 of it that it belongs to; itself when it leads one.
std::vector<std::uint32_t> weldTargets(std::span<const Vertex> input)
{
    // Ordered by x alone, coincident vertices would be kept
    // apart by others of the same x (every vertex of a face at x = 1, say),
    // and the simplifier would then tear the mesh open along such seams.
    // The positions are sorted together with their numbers, out of the
    // larger records: the order is the same, the memory read far less.
    const std::size_t n = input.size();
    std::vector<std::uint32_t> welded(n);
    std::iota(welded.begin(), welded.end(), 0u);
    if (n > 1) {
        struct Keyed {
            glm::vec3 position;
            std::uint32_t index;
        };
        std::vector<Keyed> weldOrder(n);
        for (std::uint32_t k = 0; k < n; ++k)
            weldOrder[k] = {input[k].position, k};
        std::sort(weldOrder.begin(), weldOrder.end(), [](const Keyed& a, const Keyed& b) {
            return std::tie(a.position.x, a.position.y, a.position.z) <
                   std::tie(b.position.x, b.position.y, b.position.z);
        });
        std::size_t i = 0;
        while (i < n - 1) {
            const Keyed& base = weldOrder[i];
            std::size_t j = i + 1;
            while (j < n && glm::distance(base.position, weldOrder[j].position) < 0.0001f) {
                welded[weldOrder[j].index] = base.index;
                ++j;
            }
            i = j;
        }
    }
    return welded;
}

}  // namespace

WorkingMesh::WorkingMesh(std::span<const Vertex> input, std::span<const std::uint32_t> indices)
{
    assert(indices.size() % 3 == 0 && "whole triangles only");
    assert(std::all_of(indices.begin(), indices.end(), [&](std::uint32_t i) { return i < input.size(); }) &&
           "indices within the vertex list");
    std::vector<std::uint32_t> welded = weldTargets(input);
    // The welded vertices, numbered in input order; then every input vertex by its number.
    for (std::size_t k = 0; k < input.size(); ++k) {
        if (welded[k] == k) {
            welded[k] = std::uint32_t(records_.size());
            records_.push_back(input[k]);
        } else {
            welded[k] |= 0x80000000u;  // still an input index, numbered below
        }
    }
    for (std::uint32_t& w : welded) {
        if (w & 0x80000000u)
            w = welded[w & 0x7fffffffu];
    }
    const std::size_t count = records_.size();
    points_.resize(count);
    for (std::size_t v = 0; v < count; ++v)
        points_[v] = {records_[v].position, 0.0f};
    targets_.assign(count, none);
    room_.slotOf.assign(count, none);
    outputIndex_.assign(count, 0);

    // Room for each vertex's faces, and for one neighbour more (an open fan
    // has that many), side by side.
    std::vector<std::uint32_t> room(2 * count, 0);
    for (std::uint32_t index : indices)
        ++room[faceList(welded[index])];
    for (std::size_t v = 0; v < count; ++v)
        room[neighbourList(std::uint32_t(v))] = room[faceList(std::uint32_t(v))] + 1;
    lists_ = SmallLists(room);

    const std::size_t triangles = indices.size() / 3;
    workBudget_ = workAllowance + workPerTriangle * triangles;
    triangles_.reserve(triangles);
    for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
        const std::uint32_t a = welded[indices[t]];
        const std::uint32_t b = welded[indices[t + 1]];
        const std::uint32_t c = welded[indices[t + 2]];
        // Each new neighbour is checked against the list it joins.
        work_ += neighbours(a).size() + neighbours(b).size() + neighbours(c).size();
        if (work_ > workBudget_) {
            gaveUp_ = true;
            return;
        }
        const auto triangle = std::uint32_t(triangles_.size());
        triangles_.push_back({{a, b, c}, glm::vec3(0.0f)});
        alive_.push_back(1);
        computeNormal(triangle);
        addNeighbour(a, b);
        addNeighbour(a, c);
        lists_.push(faceList(a), triangle);
        addNeighbour(b, a);
        addNeighbour(b, c);
        lists_.push(faceList(b), triangle);
        addNeighbour(c, a);
        addNeighbour(c, b);
        lists_.push(faceList(c), triangle);
    }
}

void WorkingMesh::addNeighbour(std::uint32_t v, std::uint32_t n)
{
    if (n == v || lists_.contains(neighbourList(v), n))
        return;
    lists_.push(neighbourList(v), n);
}

void WorkingMesh::unlinkIfApart(std::uint32_t a, std::uint32_t b)
{
    const bool aListsB = lists_.contains(neighbourList(a), b);
    const bool bListsA = lists_.contains(neighbourList(b), a);
    if (!aListsB && !bListsA)
        return;
    // Every remaining face is in the face list of each of its corners, so
    // either list answers whether a face still holds both: the shorter is read.
    const std::uint32_t reader = faces(a).size() <= faces(b).size() ? a : b;
    const std::uint32_t other = reader == a ? b : a;
    for (std::uint32_t face : faces(reader)) {
        if (hasCorner(face, other))
            return;
    }
    if (aListsB)
        lists_.erase(neighbourList(a), b);
    if (bListsA)
        lists_.erase(neighbourList(b), a);
}

void WorkingMesh::detachFromNeighbours(std::uint32_t v)
{
    // v's own list goes whole at the end: taking its entries out one by one
    // would leave the other lists just the same.
    for (const std::uint32_t n : neighbours(v)) {
        if (lists_.erase(neighbourList(n), v) == 0)
            std::cout << "Uh oh..." << std::endl;
    }
    lists_.clear(neighbourList(v));
}

bool WorkingMesh::hasCorner(std::uint32_t t, std::uint32_t v) const
{
    const auto& c = triangles_[t].corners;
    return c[0] == v || c[1] == v || c[2] == v;
}

void WorkingMesh::computeNormal(std::uint32_t t)
{
    Triangle& triangle = triangles_[t];
    const auto& c = triangle.corners;
    const glm::vec3& p0 = position(c[0]);
    triangle.normal = normalisedOrZero(glm::cross(position(c[1]) - p0, position(c[2]) - p0));
}

void WorkingMesh::detach(std::uint32_t t)
{
    const auto c = triangles_[t].corners;
    for (std::uint32_t corner : c)
        lists_.erase(faceList(corner), t);
    for (std::size_t k = 0; k < 3; ++k)
        unlinkIfApart(c[k], c[(k + 1) % 3]);
}

void WorkingMesh::replaceVertex(std::uint32_t t, std::uint32_t u, std::uint32_t v)
{
    auto& c = triangles_[t].corners;
    for (std::uint32_t& corner : c) {
        if (corner == u) {
            corner = v;
            break;
        }
    }
    // Two corners other than v were neighbours already: a face links its
    // corners for as long as it lasts.
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = 0; j < 3; ++j) {
            if (i != j && (c[i] == v || c[j] == v))
                addNeighbour(c[i], c[j]);
        }
    }
    computeNormal(t);
}

float WorkingMesh::edgeCost(std::uint32_t u, std::uint32_t v) const
{
    const auto around = neighbours(u);
    const auto slot = std::size_t(std::find(around.begin(), around.end(), v) - around.begin());
    assert(slot < around.size() && "v a neighbour of u");
    return withFaces(u, [&](auto&& table) { return table.edgeCost(slot, position(u), position(v)); });
}

void WorkingMesh::computeCost(std::uint32_t v)
{
    targets_[v] = none;
    const auto around = neighbours(v);
    if (around.empty()) {
        points_[v].cost = isolatedVertexCost;
        return;
    }
    // The neighbours lie scattered in memory: ask for all of them at once
    // rather than waiting on each in turn.
    for (std::uint32_t n : around)
        __builtin_prefetch(&points_[n]);
    points_[v].cost = withFaces(v, [&](auto&& table) {
        float cost = noCollapseCost;
        for (std::size_t slot = 0; slot < around.size(); ++slot) {
            const float c = table.edgeCost(slot, position(v), position(around[slot]));
            if (c < cost) {
                cost = c;
                targets_[v] = around[slot];
            }
        }
        return cost;
    });
}

bool WorkingMesh::afford(std::uint32_t v)
{
    // Each neighbour's faces are sought among all faces, and each face is
    // held against every side: at most two sides a face over all neighbours.
    const std::uint64_t faceCount = faces(v).size();
    work_ += faceCount * (neighbours(v).size() + 2 * faceCount) + 1;
    gaveUp_ = gaveUp_ || work_ > workBudget_;
    return !gaveUp_;
}

std::span<const std::uint32_t> WorkingMesh::collapse(std::uint32_t u, std::uint32_t v)
{
    if (v == none) {
        detachFromNeighbours(u);
        return {};
    }
    const auto around = neighbours(u);
    // Everything below reads or changes the lists of u's neighbours and
    // u's faces, which lie scattered in memory: ask for all of them at once
    // rather than waiting on each in turn.
    for (std::uint32_t n : around) {
        lists_.prefetch(neighbourList(n));
        lists_.prefetch(faceList(n));
    }
    for (std::uint32_t t : faces(u))
        __builtin_prefetch(&triangles_[t]);
    formerNeighbours_.assign(around.begin(), around.end());
    const auto before = faces(u);
    scratchFaces_.assign(before.begin(), before.end());
    for (auto it = scratchFaces_.rbegin(); it != scratchFaces_.rend(); ++it) {
        if (hasCorner(*it, v)) {
            detach(*it);
            alive_[*it] = 0;
        }
    }
    // Taking u out of each face and neighbour list one by one would leave
    // the others in the same order as dropping it from all of them at the end.
    const auto remaining = faces(u);
    scratchFaces_.assign(remaining.begin(), remaining.end());
    for (auto it = scratchFaces_.rbegin(); it != scratchFaces_.rend(); ++it) {
        lists_.push(faceList(v), *it);
        replaceVertex(*it, u, v);
    }
    lists_.clear(faceList(u));
    detachFromNeighbours(u);
    return formerNeighbours_;
}

MeshData WorkingMesh::write(std::span<const std::uint32_t> order)
{
    MeshData out;
    out.vertices.reserve(order.size());
    for (std::uint32_t v : order) {
        outputIndex_[v] = std::uint32_t(out.vertices.size());
        Vertex written = records_[v];
        glm::vec3 sum(0.0f);
        for (std::uint32_t face : faces(v))
            sum += triangles_[face].normal;
        // A vertex whose face normals cancel out keeps the normal it came with.
        const glm::vec3 normal = normalisedOrZero(sum);
        if (normal != glm::vec3(0.0f))
            written.normal = normal;
        out.vertices.push_back(written);
    }
    for (std::size_t t = 0; t < triangles_.size(); ++t) {
        const auto& c = triangles_[t].corners;
        // A triangle welded into a single point has nothing to draw.
        if (!alive_[t] || (c[0] == c[1] && c[1] == c[2]))
            continue;
        for (std::uint32_t corner : c)
            out.indices.push_back(outputIndex_[corner]);
    }
    return out;
}

}  // namespace qm
