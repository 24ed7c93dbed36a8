#include "SurfaceDistance.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Noise.h"

namespace {

// The closest point of triangle abc to p, by the regions of its edges and corners.
glm::vec3 closestOnTriangle(const glm::vec3& p, const glm::vec3& a, const glm::vec3& b, const glm::vec3& c)
{
    const glm::vec3 ab = b - a, ac = c - a, ap = p - a;
    const float d1 = glm::dot(ab, ap), d2 = glm::dot(ac, ap);
    if (d1 <= 0 && d2 <= 0)
        return a;
    const glm::vec3 bp = p - b;
    const float d3 = glm::dot(ab, bp), d4 = glm::dot(ac, bp);
    if (d3 >= 0 && d4 <= d3)
        return b;
    const float vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0)
        return a + ab * (d1 / (d1 - d3));
    const glm::vec3 cp = p - c;
    const float d5 = glm::dot(ab, cp), d6 = glm::dot(ac, cp);
    if (d6 >= 0 && d5 <= d6)
        return c;
    const float vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0)
        return a + ac * (d2 / (d2 - d6));
    const float va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
        return b + (c - b) * ((d4 - d3) / ((d4 - d3) + (d5 - d6)));
    const float denominator = 1.0f / (va + vb + vc);
    return a + ab * (vb * denominator) + ac * (vc * denominator);
}

// Triangles filed in a uniform grid by their bounding boxes, for nearest-point queries.
class TriangleGrid {
public:
    TriangleGrid(const std::vector<glm::vec3>& positions, const std::vector<std::uint32_t>& indices)
        : positions(positions), indices(indices)
    {
        lo = glm::vec3(std::numeric_limits<float>::max());
        glm::vec3 hi(-std::numeric_limits<float>::max());
        for (std::uint32_t i : indices) {
            lo = glm::min(lo, positions[i]);
            hi = glm::max(hi, positions[i]);
        }
        const float extent = std::max({hi.x - lo.x, hi.y - lo.y, hi.z - lo.z, 1e-6f});
        const int resolution = 48;
        cell = extent / float(resolution);
        size = glm::max(glm::ivec3((hi - lo) / cell) + 1, glm::ivec3(1));
        cells.resize(std::size_t(size.x) * size.y * size.z);
        for (std::size_t t = 0; t < indices.size(); t += 3) {
            glm::vec3 tlo = positions[indices[t]], thi = tlo;
            for (int k = 1; k < 3; ++k) {
                tlo = glm::min(tlo, positions[indices[t + std::size_t(k)]]);
                thi = glm::max(thi, positions[indices[t + std::size_t(k)]]);
            }
            const glm::ivec3 from = cellOf(tlo), to = cellOf(thi);
            for (int z = from.z; z <= to.z; ++z)
                for (int y = from.y; y <= to.y; ++y)
                    for (int x = from.x; x <= to.x; ++x)
                        cells[index({x, y, z})].push_back(std::uint32_t(t));
        }
    }

    // Distance from p to the surface: rings of cells outwards until no nearer triangle can remain.
    float distance(const glm::vec3& p) const
    {
        const glm::ivec3 centre = cellOf(p);
        float best = std::numeric_limits<float>::max();
        const int maxRing = std::max({size.x, size.y, size.z});
        for (int ring = 0; ring <= maxRing; ++ring) {
            for (int z = centre.z - ring; z <= centre.z + ring; ++z)
                for (int y = centre.y - ring; y <= centre.y + ring; ++y)
                    for (int x = centre.x - ring; x <= centre.x + ring; ++x) {
                        if (std::max({std::abs(x - centre.x), std::abs(y - centre.y), std::abs(z - centre.z)}) != ring)
                            continue;
                        if (x < 0 || y < 0 || z < 0 || x >= size.x || y >= size.y || z >= size.z)
                            continue;
                        for (std::uint32_t t : cells[index({x, y, z})]) {
                            const glm::vec3 q = closestOnTriangle(p, positions[indices[t]], positions[indices[t + 1]],
                                                                  positions[indices[t + 2]]);
                            best = std::min(best, glm::distance(p, q));
                        }
                    }
            // Everything beyond this ring is at least ring cells away.
            if (best <= float(ring) * cell)
                break;
        }
        return best;
    }

private:
    glm::ivec3 cellOf(const glm::vec3& p) const
    {
        return glm::clamp(glm::ivec3((p - lo) / cell), glm::ivec3(0), size - 1);
    }
    std::size_t index(const glm::ivec3& c) const { return (std::size_t(c.z) * size.y + c.y) * size.x + c.x; }

    const std::vector<glm::vec3>& positions;
    const std::vector<std::uint32_t>& indices;
    glm::vec3 lo;
    float cell = 1.0f;
    glm::ivec3 size{1};
    std::vector<std::vector<std::uint32_t>> cells;
};

// Points spread over the surface by area, the same ones on every run.
std::vector<glm::vec3> samplePoints(const std::vector<glm::vec3>& positions, const std::vector<std::uint32_t>& indices,
                                    int count)
{
    std::vector<double> cumulative;
    double total = 0.0;
    for (std::size_t t = 0; t < indices.size(); t += 3) {
        const glm::vec3 a = positions[indices[t]], b = positions[indices[t + 1]], c = positions[indices[t + 2]];
        total += 0.5 * glm::length(glm::cross(b - a, c - a));
        cumulative.push_back(total);
    }
    std::vector<glm::vec3> points;
    scenegen::Random random(12345);
    for (int i = 0; i < count && total > 0.0; ++i) {
        const double pick = double(random.uniform()) * total;
        const std::size_t t = std::size_t(std::lower_bound(cumulative.begin(), cumulative.end(), pick) - cumulative.begin()) * 3;
        float u = random.uniform(), v = random.uniform();
        if (u + v > 1.0f) {
            u = 1.0f - u;
            v = 1.0f - v;
        }
        const glm::vec3 a = positions[indices[t]], b = positions[indices[t + 1]], c = positions[indices[t + 2]];
        points.push_back(a + (b - a) * u + (c - a) * v);
    }
    return points;
}

}  // namespace

SurfaceDistance surfaceDistance(const std::vector<glm::vec3>& positionsA, const std::vector<std::uint32_t>& indicesA,
                                const std::vector<glm::vec3>& positionsB, const std::vector<std::uint32_t>& indicesB,
                                int samples)
{
    SurfaceDistance result;
    if (indicesA.empty() || indicesB.empty())
        return {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    const TriangleGrid gridA(positionsA, indicesA), gridB(positionsB, indicesB);
    double meanSum = 0.0;
    for (const auto& [points, grid] : {std::pair{samplePoints(positionsA, indicesA, samples), &gridB},
                                       std::pair{samplePoints(positionsB, indicesB, samples), &gridA}}) {
        double sum = 0.0;
        for (const glm::vec3& p : points) {
            const double d = grid->distance(p);
            result.hausdorff = std::max(result.hausdorff, d);
            sum += d;
        }
        meanSum += points.empty() ? 0.0 : sum / double(points.size());
    }
    result.mean = meanSum / 2.0;
    return result;
}
