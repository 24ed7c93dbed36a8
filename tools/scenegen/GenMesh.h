#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <glm/glm.hpp>

namespace scenegen {

// A triangle mesh under construction: one normal and one texture coordinate
// per vertex, three indices per triangle, counter-clockwise from outside.
struct GenMesh {
    std::vector<glm::vec3> positions;
    std::vector<glm::vec3> normals;
    std::vector<glm::vec2> uvs;
    std::vector<std::uint32_t> indices;

    std::size_t triangleCount() const { return indices.size() / 3; }
    std::uint32_t addVertex(const glm::vec3& p, const glm::vec3& n, const glm::vec2& uv);
    void addTriangle(std::uint32_t a, std::uint32_t b, std::uint32_t c);

    // Appends another mesh's vertices and triangles.
    void append(const GenMesh& other);
    // Moves positions by the matrix and normals by its inverse transpose.
    GenMesh& transform(const glm::mat4& m);
    // Maps every texture coordinate into the rectangle [lo, hi].
    GenMesh& remapUvs(const glm::vec2& lo, const glm::vec2& hi);
    // Replaces each position p by f(p), then recomputes smooth normals.
    GenMesh& displace(const std::function<glm::vec3(const glm::vec3&)>& f);
    // Area-weighted vertex normals from the triangles.
    void computeNormals();

    // Moves the mesh so that it stands on y = 0, centred on the y axis.
    GenMesh& standOnGround();

    // The axis-aligned bounds of the positions.
    glm::vec3 min() const;
    glm::vec3 max() const;
};

// Primitives, each with texture coordinates running over [0, 1] (or in world
// units where stated) so tiling textures keep a steady scale.

// A box from lo to hi, each face split into a grid of `divisions` x `divisions`
// quads; texture coordinates in world units times uvScale.
GenMesh box(const glm::vec3& lo, const glm::vec3& hi, int divisions = 1, float uvScale = 1.0f);
// A closed cylinder or cone along +y from y0 to y1 with radii r0 (bottom) and r1 (top).
GenMesh cylinder(float r0, float r1, float y0, float y1, int sides, int rings, bool caps = true);
// A sphere of radius 1 at the origin with `rings` latitude bands and `sides` longitude segments.
GenMesh uvSphere(int rings, int sides);
// A sphere of radius 1 from a subdivided icosahedron (20 x 4^level triangles).
GenMesh icosphere(int level);
// A straight prism along x from x0 to x1 whose cross-section is a convex
// polygon given counter-clockwise in (z, y) coordinates; each side is split
// into `segments` along x and `divisions` across; texture coordinates in
// world units times uvScale.
GenMesh prism(const std::vector<glm::vec2>& profile, float x0, float x1, int segments, int divisions,
              float uvScale = 1.0f);
// A quad in the xy plane facing +z, divided into a grid, seen from both sides.
GenMesh doubleSidedQuad(const glm::vec2& size, int divisions);

glm::mat4 translation(const glm::vec3& t);
glm::mat4 rotationY(float degrees);
glm::mat4 rotationX(float degrees);
glm::mat4 rotationZ(float degrees);
glm::mat4 scaling(const glm::vec3& s);

}  // namespace scenegen
