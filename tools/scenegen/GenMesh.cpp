#include "GenMesh.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <tuple>
#include <map>

namespace scenegen {

std::uint32_t GenMesh::addVertex(const glm::vec3& p, const glm::vec3& n, const glm::vec2& uv)
{
    positions.push_back(p);
    normals.push_back(n);
    uvs.push_back(uv);
    return std::uint32_t(positions.size() - 1);
}

void GenMesh::addTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c)
{
    indices.insert(indices.end(), {a, b, c});
}

void GenMesh::append(const GenMesh& other)
{
    const auto offset = std::uint32_t(positions.size());
    positions.insert(positions.end(), other.positions.begin(), other.positions.end());
    normals.insert(normals.end(), other.normals.begin(), other.normals.end());
    uvs.insert(uvs.end(), other.uvs.begin(), other.uvs.end());
    for (std::uint32_t i : other.indices)
        indices.push_back(i + offset);
}

GenMesh& GenMesh::transform(const glm::mat4& m)
{
    const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(m)));
    for (auto& p : positions)
        p = glm::vec3(m * glm::vec4(p, 1.0f));
    for (auto& n : normals)
        n = glm::normalize(normalMatrix * n);
    // A mirroring matrix turns the winding inside out.
    if (glm::determinant(glm::mat3(m)) < 0.0f) {
        for (std::size_t i = 0; i + 2 < indices.size(); i += 3)
            std::swap(indices[i + 1], indices[i + 2]);
    }
    return *this;
}

GenMesh& GenMesh::remapUvs(const glm::vec2& lo, const glm::vec2& hi)
{
    for (auto& uv : uvs)
        uv = lo + uv * (hi - lo);
    return *this;
}

GenMesh& GenMesh::displace(const std::function<glm::vec3(const glm::vec3&)>& f)
{
    for (auto& p : positions)
        p = f(p);
    computeNormals();
    return *this;
}

void GenMesh::computeNormals()
{
    std::vector<glm::vec3> sums(positions.size(), glm::vec3(0.0f));
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
        const glm::vec3& a = positions[indices[i]];
        const glm::vec3& b = positions[indices[i + 1]];
        const glm::vec3& c = positions[indices[i + 2]];
        const glm::vec3 faceNormal = glm::cross(b - a, c - a);  // length = twice the area
        for (int k = 0; k < 3; ++k)
            sums[indices[i + k]] += faceNormal;
    }
    for (std::size_t v = 0; v < positions.size(); ++v) {
        const float length = glm::length(sums[v]);
        if (length > 1e-12f)
            normals[v] = sums[v] / length;
    }
}

GenMesh& GenMesh::standOnGround()
{
    const glm::vec3 lo = min();
    const glm::vec3 hi = max();
    return transform(translation({-(lo.x + hi.x) * 0.5f, -lo.y, -(lo.z + hi.z) * 0.5f}));
}

glm::vec3 GenMesh::min() const
{
    glm::vec3 result(INFINITY);
    for (const auto& p : positions)
        result = glm::min(result, p);
    return result;
}

glm::vec3 GenMesh::max() const
{
    glm::vec3 result(-INFINITY);
    for (const auto& p : positions)
        result = glm::max(result, p);
    return result;
}

namespace {

// One face: a grid spanned by two edge vectors from a corner, divided
// divisionsU x divisionsV times.
void addGridFace(GenMesh& mesh, const glm::vec3& corner, const glm::vec3& edgeU, const glm::vec3& edgeV,
                 int divisionsU, int divisionsV, float uvScale)
{
    const glm::vec3 normal = glm::normalize(glm::cross(edgeU, edgeV));
    const float lengthU = glm::length(edgeU) * uvScale;
    const float lengthV = glm::length(edgeV) * uvScale;
    const auto first = std::uint32_t(mesh.positions.size());
    for (int j = 0; j <= divisionsV; ++j) {
        for (int i = 0; i <= divisionsU; ++i) {
            const float u = float(i) / float(divisionsU);
            const float v = float(j) / float(divisionsV);
            mesh.addVertex(corner + edgeU * u + edgeV * v, normal, {u * lengthU, v * lengthV});
        }
    }
    const auto row = std::uint32_t(divisionsU + 1);
    for (int j = 0; j < divisionsV; ++j) {
        for (int i = 0; i < divisionsU; ++i) {
            const std::uint32_t a = first + std::uint32_t(j) * row + std::uint32_t(i);
            mesh.addTriangle(a, a + 1, a + row + 1);
            mesh.addTriangle(a, a + row + 1, a + row);
        }
    }
}

}  // namespace

GenMesh box(const glm::vec3& lo, const glm::vec3& hi, int divisions, float uvScale)
{
    GenMesh mesh;
    const glm::vec3 d = hi - lo;
    const glm::vec3 x(d.x, 0, 0), y(0, d.y, 0), z(0, 0, d.z);
    addGridFace(mesh, {hi.x, lo.y, hi.z}, -z, y, divisions, divisions, uvScale);  // +x
    addGridFace(mesh, lo, z, y, divisions, divisions, uvScale);                    // -x
    addGridFace(mesh, {lo.x, hi.y, hi.z}, x, -z, divisions, divisions, uvScale);  // +y
    addGridFace(mesh, lo, x, z, divisions, divisions, uvScale);                    // -y
    addGridFace(mesh, {lo.x, lo.y, hi.z}, x, y, divisions, divisions, uvScale);   // +z
    addGridFace(mesh, {hi.x, lo.y, lo.z}, -x, y, divisions, divisions, uvScale);  // -z
    return mesh;
}

GenMesh prism(const std::vector<glm::vec2>& profile, float x0, float x1, int segments, int divisions, float uvScale)
{
    GenMesh mesh;
    const std::size_t n = profile.size();
    glm::vec2 centroid(0.0f);
    // The cap outlines pass through every point where the sides are divided,
    // so that caps and sides share their edges (no cracks for a simplifier).
    std::vector<glm::vec2> outline;
    for (std::size_t k = 0; k < n; ++k) {
        const glm::vec2 a = profile[k];
        const glm::vec2 b = profile[(k + 1) % n];
        addGridFace(mesh, {x0, a.y, a.x}, {x1 - x0, 0, 0}, {0, b.y - a.y, b.x - a.x}, segments, divisions, uvScale);
        centroid += a / float(n);
        for (int d = 0; d < divisions; ++d)
            outline.push_back(glm::mix(a, b, float(d) / float(divisions)));
    }
    // End caps as fans from the centroid; the +x cap is wound the other way.
    for (const float x : {x0, x1}) {
        const glm::vec3 normal(x == x1 ? 1.0f : -1.0f, 0.0f, 0.0f);
        const std::uint32_t centre = mesh.addVertex({x, centroid.y, centroid.x}, normal, centroid * uvScale);
        for (const glm::vec2& p : outline)
            mesh.addVertex({x, p.y, p.x}, normal, p * uvScale);
        const auto count = std::uint32_t(outline.size());
        for (std::uint32_t k = 0; k < count; ++k) {
            const std::uint32_t a = centre + 1 + k;
            const std::uint32_t b = centre + 1 + (k + 1) % count;
            if (x == x1)
                mesh.addTriangle(centre, b, a);
            else
                mesh.addTriangle(centre, a, b);
        }
    }
    return mesh;
}

GenMesh cylinder(float r0, float r1, float y0, float y1, int sides, int rings, bool caps)
{
    GenMesh mesh;
    const float slope = (r0 - r1) / (y1 - y0);
    for (int j = 0; j <= rings; ++j) {
        const float t = float(j) / float(rings);
        const float y = y0 + (y1 - y0) * t;
        const float r = r0 + (r1 - r0) * t;
        for (int i = 0; i <= sides; ++i) {
            const float a = 2.0f * float(M_PI) * float(i) / float(sides);
            const glm::vec3 radial(std::cos(a), 0.0f, -std::sin(a));
            mesh.addVertex(radial * r + glm::vec3(0, y, 0), glm::normalize(radial + glm::vec3(0, slope, 0)),
                           {float(i) / float(sides), t});
        }
    }
    const auto row = std::uint32_t(sides + 1);
    for (int j = 0; j < rings; ++j) {
        for (int i = 0; i < sides; ++i) {
            const std::uint32_t a = std::uint32_t(j) * row + std::uint32_t(i);
            // A ring of radius 0 is a point: the quads touching it become single triangles.
            if (!(j == 0 && r0 <= 0.0f))
                mesh.addTriangle(a, a + 1, a + row + 1);
            if (!(j == rings - 1 && r1 <= 0.0f))
                mesh.addTriangle(a, a + row + 1, a + row);
        }
    }
    if (caps) {
        for (const auto& [y, r, up] : {std::tuple{y0, r0, -1.0f}, std::tuple{y1, r1, 1.0f}}) {
            if (r <= 0.0f)
                continue;
            const std::uint32_t centre = mesh.addVertex({0, y, 0}, {0, up, 0}, {0.5f, 0.5f});
            for (int i = 0; i <= sides; ++i) {
                const float a = 2.0f * float(M_PI) * float(i) / float(sides);
                mesh.addVertex({std::cos(a) * r, y, -std::sin(a) * r}, {0, up, 0},
                               {0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a)});
            }
            for (int i = 0; i < sides; ++i) {
                const std::uint32_t a = centre + 1 + std::uint32_t(i);
                if (up > 0)
                    mesh.addTriangle(centre, a, a + 1);
                else
                    mesh.addTriangle(centre, a + 1, a);
            }
        }
    }
    return mesh;
}

GenMesh uvSphere(int rings, int sides)
{
    GenMesh mesh;
    for (int j = 0; j <= rings; ++j) {
        const float polar = float(M_PI) * float(j) / float(rings);
        for (int i = 0; i <= sides; ++i) {
            const float a = 2.0f * float(M_PI) * float(i) / float(sides);
            const glm::vec3 n(std::sin(polar) * std::cos(a), std::cos(polar), -std::sin(polar) * std::sin(a));
            mesh.addVertex(n, n, {float(i) / float(sides), 1.0f - float(j) / float(rings)});
        }
    }
    const auto row = std::uint32_t(sides + 1);
    for (int j = 0; j < rings; ++j) {
        for (int i = 0; i < sides; ++i) {
            const std::uint32_t a = std::uint32_t(j) * row + std::uint32_t(i);
            // The pole rows are a fan: skip their degenerate halves.
            if (j != 0)
                mesh.addTriangle(a, a + row, a + 1);
            if (j != rings - 1)
                mesh.addTriangle(a + 1, a + row, a + row + 1);
        }
    }
    return mesh;
}

GenMesh icosphere(int level)
{
    const float t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    std::vector<glm::vec3> points = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0}, {0, -1, t}, {0, 1, t},
                                     {0, -1, -t}, {0, 1, -t}, {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (auto& p : points)
        p = glm::normalize(p);
    std::vector<std::uint32_t> faces = {0, 11, 5, 0, 5,  1, 0, 1, 7, 0, 7,  10, 0, 10, 11, 1, 5, 9, 5, 11,
                                        4, 11, 10, 2, 10, 7, 6, 7, 1, 8, 3, 9,  4, 3,  4,  2, 3, 2, 6, 3,
                                        6, 8,  3,  8, 9,  4, 9, 5, 2, 4, 11, 6, 2, 10, 8,  6, 7, 9, 8, 1};
    for (int l = 0; l < level; ++l) {
        std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> midpoints;
        const auto midpoint = [&](std::uint32_t a, std::uint32_t b) {
            const auto key = std::minmax(a, b);
            const auto it = midpoints.find(key);
            if (it != midpoints.end())
                return it->second;
            points.push_back(glm::normalize(points[a] + points[b]));
            return midpoints[key] = std::uint32_t(points.size() - 1);
        };
        std::vector<std::uint32_t> finer;
        for (std::size_t i = 0; i < faces.size(); i += 3) {
            const std::uint32_t a = faces[i], b = faces[i + 1], c = faces[i + 2];
            const std::uint32_t ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
            finer.insert(finer.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        faces = std::move(finer);
    }
    GenMesh mesh;
    for (const auto& p : points)
        mesh.addVertex(p, p, {0.5f + std::atan2(p.z, p.x) / (2.0f * float(M_PI)), 0.5f + p.y * 0.5f});
    mesh.indices = std::move(faces);
    return mesh;
}

GenMesh doubleSidedQuad(const glm::vec2& size, int divisions)
{
    GenMesh front;
    addGridFace(front, {-size.x * 0.5f, 0, 0}, {size.x, 0, 0}, {0, size.y, 0}, divisions, divisions, 1.0f);
    for (auto& uv : front.uvs)
        uv /= size;
    GenMesh back = front;
    for (auto& n : back.normals)
        n = -n;
    for (std::size_t i = 0; i < back.indices.size(); i += 3)
        std::swap(back.indices[i + 1], back.indices[i + 2]);
    front.append(back);
    return front;
}

glm::mat4 translation(const glm::vec3& t)
{
    return glm::translate(glm::mat4(1.0f), t);
}

glm::mat4 rotationY(float degrees)
{
    return glm::rotate(glm::mat4(1.0f), glm::radians(degrees), {0, 1, 0});
}

glm::mat4 rotationX(float degrees)
{
    return glm::rotate(glm::mat4(1.0f), glm::radians(degrees), {1, 0, 0});
}

glm::mat4 rotationZ(float degrees)
{
    return glm::rotate(glm::mat4(1.0f), glm::radians(degrees), {0, 0, 1});
}

glm::mat4 scaling(const glm::vec3& s)
{
    return glm::scale(glm::mat4(1.0f), s);
}

}  // namespace scenegen
