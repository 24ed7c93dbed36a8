#include "Models.h"

#include <cmath>

#include "Noise.h"

namespace scenegen::models {

namespace {

// Woodland atlas bands by u: dark bark, birch bark, foliage.
const glm::vec2 darkBarkLo{0.02f, 0.0f}, darkBarkHi{0.31f, 1.0f};
const glm::vec2 birchBarkLo{0.36f, 0.0f}, birchBarkHi{0.64f, 1.0f};
const glm::vec2 foliageLo{0.69f, 0.0f}, foliageHi{0.98f, 1.0f};

// Roughens a surface by moving each point along its direction from `centre`.
GenMesh& roughen(GenMesh& mesh, const glm::vec3& centre, float frequency, float amount, std::uint32_t seed)
{
    return mesh.displace([&](const glm::vec3& p) {
        const glm::vec3 d = p - centre;
        const float n = fbm(p * frequency, 3, seed) - 0.5f;
        const float length = glm::length(d);
        return length > 1e-6f ? p + d / length * (n * amount) : p;
    });
}

// A lumpy blob of foliage or rock: a displaced icosphere.
GenMesh blob(int level, const glm::vec3& centre, const glm::vec3& radii, float roughness, std::uint32_t seed)
{
    GenMesh mesh = icosphere(level);
    mesh.displace([&](const glm::vec3& p) {
        return p * (1.0f + roughness * (fbm(p * 2.5f, 3, seed) - 0.5f));
    });
    mesh.transform(translation(centre) * scaling(radii));
    return mesh;
}

GenMesh trunk(float r0, float r1, float height, int sides, int rings, glm::vec2 bandLo, glm::vec2 bandHi,
              std::uint32_t seed)
{
    GenMesh mesh = cylinder(r0, r1, 0.0f, height, sides, rings, true);
    mesh.remapUvs(bandLo, {bandHi.x, height / 2.0f});
    roughen(mesh, {0, 0, 0}, 1.5f, r0 * 0.3f, seed);
    return mesh;
}

GenMesh crown(const std::vector<std::pair<glm::vec3, float>>& lumps, int level, std::uint32_t seed)
{
    GenMesh mesh;
    std::uint32_t s = seed;
    for (const auto& [centre, radius] : lumps)
        mesh.append(blob(level, centre, glm::vec3(radius, radius * 0.8f, radius), 0.5f, s++));
    mesh.remapUvs(foliageLo, foliageHi);
    return mesh;
}

GenMesh roughStone(const glm::vec3& lo, const glm::vec3& hi, int divisions, float topTaper, std::uint32_t seed)
{
    GenMesh mesh = box(lo, hi, divisions, 0.5f);
    const float height = hi.y - lo.y;
    mesh.displace([&](const glm::vec3& p) {
        const float taper = 1.0f - topTaper * (p.y - lo.y) / height;
        glm::vec3 q(p.x * taper, p.y, p.z * taper);
        const float n = fbm(p * 1.3f, 4, seed) - 0.5f;
        q += glm::vec3(q.x, 0.0f, q.z) * n * 0.45f + glm::vec3(0.0f, p.y > lo.y + 0.01f ? n * 0.25f : 0.0f, 0.0f);
        return q;
    });
    return mesh.standOnGround();
}

GenMesh rock(const glm::vec3& radii, std::uint32_t seed)
{
    GenMesh mesh = blob(3, {0, 0, 0}, radii, 0.6f, seed);
    // Sunk a little into the ground: flatten the underside.
    mesh.displace([&](const glm::vec3& p) { return glm::vec3(p.x, std::max(p.y, -radii.y * 0.35f), p.z); });
    for (auto& uv : mesh.uvs)
        uv *= 2.0f;
    return mesh.standOnGround();
}

std::vector<glm::vec2> houseProfile(float halfWidth, float wallHeight, float ridgeHeight)
{
    return {{-halfWidth, 0}, {halfWidth, 0}, {halfWidth, wallHeight}, {0, ridgeHeight}, {-halfWidth, wallHeight}};
}

}  // namespace

GenMesh glimmet()
{
    GenMesh mesh = uvSphere(8, 12);
    mesh.transform(translation({0, 0.3f, 0}) * scaling({0.16f, 0.14f, 0.32f}));
    GenMesh head = uvSphere(6, 10);
    head.transform(translation({0, 0.36f, 0.34f}) * scaling(glm::vec3(0.11f)));
    mesh.append(head);
    for (const float side : {-1.0f, 1.0f}) {
        GenMesh wing = doubleSidedQuad({0.5f, 0.3f}, 3);
        // Taper each wing towards its tip and sweep it back and up.
        wing.displace([&](const glm::vec3& p) {
            const float t = (p.x + 0.25f) / 0.5f;
            return glm::vec3(p.x, p.y * (1.0f - 0.6f * t), -0.1f * t);
        });
        wing.transform(translation({side * 0.36f, 0.35f, 0.0f}) * rotationZ(side * 20.0f) * rotationX(90.0f) *
                       scaling({side, 1.0f, 1.0f}));
        mesh.append(wing);
    }
    return mesh.standOnGround();
}

GenMesh standingStoneTall()
{
    return roughStone({-0.6f, 0, -0.35f}, {0.6f, 4.0f, 0.35f}, 6, 0.25f, 11);
}

GenMesh standingStoneSquat()
{
    return roughStone({-0.75f, 0, -0.5f}, {0.75f, 2.2f, 0.5f}, 6, 0.2f, 12);
}

GenMesh altarStone()
{
    return roughStone({-1.6f, 0, -0.7f}, {1.6f, 0.9f, 0.7f}, 7, 0.1f, 13);
}

GenMesh boulderRound()
{
    return rock({1.2f, 1.0f, 1.1f}, 21);
}

GenMesh boulderFlat()
{
    return rock({1.7f, 0.6f, 1.2f}, 22);
}

GenMesh cottageWalls()
{
    GenMesh mesh = prism(houseProfile(2.5f, 3.0f, 5.0f), -4.0f, 4.0f, 16, 6, 0.5f);
    return mesh.standOnGround();
}

GenMesh cottageRoof()
{
    GenMesh mesh = prism({{-3.0f, 0.0f}, {3.0f, 0.0f}, {0.0f, 2.4f}}, -4.5f, 4.5f, 28, 10, 0.35f);
    // Thatch is soft and lumpy, thicker at the ridge.
    mesh.displace([](const glm::vec3& p) {
        const float n = fbm(glm::vec3(p.x * 0.8f, p.y * 2.0f, p.z * 0.8f), 3, 31) - 0.5f;
        return glm::vec3(p.x, p.y + (p.y > 0.01f ? n * 0.25f : 0.0f), p.z * (1.0f + n * 0.06f));
    });
    return mesh.standOnGround();
}

GenMesh cottageChimney()
{
    GenMesh mesh = roughStone({-0.45f, 0, -0.45f}, {0.45f, 1.8f, 0.45f}, 5, 0.05f, 41);
    return mesh;
}

GenMesh cottageDoor()
{
    GenMesh mesh = box({-0.5f, 0, -0.06f}, {0.5f, 2.0f, 0.06f}, 5, 1.0f);
    // Planks: shallow grooves every 0.2 units across the door. Chosen by
    // position, so that the edges of the sides move with the faces they
    // meet and the door stays closed.
    for (glm::vec3& p : mesh.positions)
        p.z *= 1.0f - 0.3f * float(std::fmod(p.x + 0.5f, 0.2f) < 0.02f);
    return mesh.standOnGround();
}

GenMesh cottageWindows()
{
    // Panes standing a little proud of the walls (at z = +-2.5), so that
    // they are never hidden in them; divided like the other meshes, so that
    // their levels of detail have something to take away.
    GenMesh mesh = box({-2.6f, 1.2f, 2.46f}, {-1.6f, 2.2f, 2.56f}, 4);
    mesh.append(box({-2.2f, 1.2f, -2.56f}, {-1.2f, 2.2f, -2.46f}, 4));
    mesh.append(box({1.2f, 1.2f, -2.56f}, {2.2f, 2.2f, -2.46f}, 4));
    return mesh;
}

GenMesh chapelNave()
{
    return prism(houseProfile(3.5f, 5.0f, 8.5f), -7.0f, 7.0f, 20, 8, 0.5f).standOnGround();
}

GenMesh chapelRoof()
{
    GenMesh mesh = prism({{-4.0f, 0.0f}, {4.0f, 0.0f}, {0.0f, 3.6f}}, -7.6f, 7.6f, 24, 8, 0.5f);
    return mesh.standOnGround();
}

GenMesh chapelWindows()
{
    GenMesh mesh = box({-4.9f, 1.8f, 3.44f}, {-4.1f, 3.8f, 3.56f}, 3);
    for (const float x : {-4.5f, -1.5f, 1.5f, 4.5f}) {
        for (const float side : {-1.0f, 1.0f}) {
            if (x == -4.5f && side == 1.0f)
                continue;  // the first one above
            mesh.append(box({x - 0.4f, 1.8f, side * 3.5f - 0.06f}, {x + 0.4f, 3.8f, side * 3.5f + 0.06f}, 3));
        }
    }
    return mesh;
}

GenMesh chapelTower()
{
    return roughStone({-1.7f, 0, -1.7f}, {1.7f, 12.0f, 1.7f}, 8, 0.03f, 51);
}

GenMesh chapelSpire()
{
    GenMesh mesh = cylinder(2.3f, 0.0f, 0.0f, 7.0f, 8, 20, true);
    for (auto& uv : mesh.uvs)
        uv *= glm::vec2(4.0f, 3.0f);
    return mesh.standOnGround();
}

GenMesh wellBase()
{
    // One closed ring of stone: outer wall, sloping rim, inner wall and
    // underside meet edge to edge (roughened together, so they stay joined),
    // and a simplifier finds no open border to unravel.
    GenMesh mesh = cylinder(1.2f, 1.15f, 0.0f, 1.0f, 24, 6, false);
    mesh.append(cylinder(1.15f, 0.9f, 1.0f, 1.05f, 24, 1, false));
    GenMesh inner = cylinder(0.9f, 0.9f, -0.05f, 1.05f, 24, 2, false);
    inner.transform(scaling({1, 1, -1}));  // faces inwards
    mesh.append(inner);
    mesh.append(cylinder(0.9f, 1.2f, -0.05f, 0.0f, 24, 1, false));
    roughen(mesh, {0, 0.5f, 0}, 3.0f, 0.12f, 61);
    GenMesh water = cylinder(0.9f, 0.9f, 0.0f, 0.6f, 24, 1, true);
    mesh.append(water);
    for (auto& uv : mesh.uvs)
        uv *= glm::vec2(6.0f, 1.0f);
    return mesh.standOnGround();
}

GenMesh wellRoof()
{
    GenMesh mesh;
    for (const float x : {-1.1f, 1.1f})
        mesh.append(box({x - 0.08f, 0.0f, -0.08f}, {x + 0.08f, 2.4f, 0.08f}, 4, 0.5f));
    mesh.append(box({-1.25f, 2.0f, -0.06f}, {1.25f, 2.12f, 0.06f}, 4, 0.5f));
    GenMesh roof = prism({{-1.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 0.8f}}, -1.5f, 1.5f, 8, 4, 0.5f);
    roof.transform(translation({0, 2.4f, 0}));
    mesh.append(roof);
    return mesh.standOnGround();
}

GenMesh drystoneWall()
{
    GenMesh mesh = prism({{-0.45f, 0.0f}, {0.45f, 0.0f}, {0.25f, 1.2f}, {-0.25f, 1.2f}}, -3.0f, 3.0f, 30, 5, 0.5f);
    // Stacked stones: a blocky pattern of bulges.
    mesh.displace([](const glm::vec3& p) {
        const glm::vec3 cell = glm::floor(glm::vec3(p.x * 2.2f, p.y * 3.5f, p.z * 2.0f));
        const float bulge = hash01(int(cell.x), int(cell.y), int(cell.z), 71) - 0.5f;
        const float n = fbm(p * 3.0f, 2, 72) - 0.5f;
        return p + glm::vec3(0.0f, 0.0f, (p.z > 0 ? 1.0f : -1.0f) * (bulge * 0.08f + n * 0.06f));
    });
    return mesh.standOnGround();
}

GenMesh fenceSegment()
{
    GenMesh mesh;
    for (const float x : {-1.9f, 0.0f, 1.9f})
        mesh.append(box({x - 0.07f, 0.0f, -0.07f}, {x + 0.07f, 1.3f, 0.07f}, 3, 0.5f));
    for (const float y : {0.5f, 1.05f})
        mesh.append(box({-2.0f, y, -0.03f}, {2.0f, y + 0.12f, 0.03f}, 3, 0.5f));
    return mesh.standOnGround();
}

GenMesh treeOak()
{
    GenMesh mesh = trunk(0.45f, 0.28f, 4.0f, 12, 8, darkBarkLo, darkBarkHi, 81);
    for (int b = 0; b < 3; ++b) {
        GenMesh branch = trunk(0.18f, 0.08f, 2.2f, 8, 3, darkBarkLo, darkBarkHi, 82 + b);
        branch.transform(translation({0, 2.8f + 0.3f * b, 0}) * rotationY(120.0f * b) * rotationZ(50.0f));
        mesh.append(branch);
    }
    mesh.append(crown({{{0, 6.0f, 0}, 2.6f},
                       {{1.6f, 5.2f, 0.6f}, 1.8f},
                       {{-1.5f, 5.4f, -0.4f}, 1.9f},
                       {{0.4f, 5.0f, -1.6f}, 1.7f},
                       {{-0.5f, 5.1f, 1.6f}, 1.7f},
                       {{0.2f, 7.4f, 0.3f}, 1.6f}},
                      2, 83));
    return mesh.standOnGround();
}

GenMesh treePine()
{
    GenMesh mesh = trunk(0.3f, 0.12f, 9.0f, 10, 6, darkBarkLo, darkBarkHi, 91);
    for (int tier = 0; tier < 5; ++tier) {
        const float radius = 2.4f - 0.4f * float(tier);
        const float y = 2.5f + 1.4f * float(tier);
        GenMesh cone = cylinder(radius, 0.0f, y, y + 2.4f, 14, 4, true);
        cone.displace([&](const glm::vec3& p) {
            const float n = fbm(p * 1.7f, 3, 92 + std::uint32_t(tier)) - 0.5f;
            return p + glm::vec3(p.x, 0.0f, p.z) * n * 0.5f;
        });
        cone.remapUvs(foliageLo, foliageHi);
        mesh.append(cone);
    }
    return mesh.standOnGround();
}

GenMesh treeBirch()
{
    GenMesh mesh = trunk(0.18f, 0.08f, 7.0f, 10, 8, birchBarkLo, birchBarkHi, 101);
    mesh.append(crown({{{0, 6.0f, 0}, 1.5f},
                       {{0.7f, 5.0f, 0.3f}, 1.2f},
                       {{-0.6f, 4.6f, -0.3f}, 1.1f},
                       {{0.1f, 7.2f, 0.1f}, 1.0f}},
                      2, 102));
    return mesh.standOnGround();
}

GenMesh treeRowan()
{
    GenMesh mesh = trunk(0.25f, 0.14f, 3.2f, 10, 6, darkBarkLo, darkBarkHi, 111);
    mesh.append(crown({{{0, 4.3f, 0}, 1.8f},
                       {{1.1f, 3.7f, 0.4f}, 1.3f},
                       {{-1.0f, 3.8f, -0.3f}, 1.3f},
                       {{0.2f, 3.6f, 1.1f}, 1.2f},
                       {{-0.1f, 5.2f, -0.2f}, 1.1f}},
                      2, 112));
    return mesh.standOnGround();
}

GenMesh gorseBush()
{
    GenMesh mesh;
    std::uint32_t seed = 121;
    for (const auto& [centre, radius] : std::vector<std::pair<glm::vec3, float>>{{{0, 0.6f, 0}, 0.9f},
                                                                                 {{0.7f, 0.45f, 0.3f}, 0.7f},
                                                                                 {{-0.7f, 0.5f, -0.2f}, 0.75f},
                                                                                 {{0.2f, 0.4f, 0.75f}, 0.6f},
                                                                                 {{-0.2f, 0.4f, -0.8f}, 0.6f},
                                                                                 {{0.1f, 1.0f, 0.1f}, 0.6f}})
        mesh.append(blob(2, centre, glm::vec3(radius), 0.7f, seed++));
    return mesh.standOnGround();
}

GenMesh pathFlagstones()
{
    GenMesh mesh;
    Random random(131);
    for (int i = 0; i < 5; ++i) {
        const glm::vec3 size(random.uniform(0.5f, 0.8f), 0.12f, random.uniform(0.4f, 0.6f));
        GenMesh stone = box(-size, size, 3, 1.0f);
        stone.transform(translation({-1.2f + 0.6f * float(i), 0.0f, random.uniform(-0.5f, 0.5f)}) *
                        rotationY(random.uniform(-30.0f, 30.0f)));
        mesh.append(stone);
    }
    roughen(mesh, {0, -2.0f, 0}, 4.0f, 0.05f, 132);
    return mesh.standOnGround();
}

GenMesh lanternPost()
{
    GenMesh mesh = box({-0.07f, 0.0f, -0.07f}, {0.07f, 2.4f, 0.07f}, 5);
    mesh.append(box({-0.05f, 2.25f, -0.05f}, {0.45f, 2.33f, 0.05f}, 5));
    return mesh;
}

GenMesh lanternGlass()
{
    return box({0.26f, 1.85f, -0.13f}, {0.52f, 2.2f, 0.13f}, 7);
}

GenMesh signpost()
{
    GenMesh mesh = box({-0.08f, 0.0f, -0.08f}, {0.08f, 2.6f, 0.08f}, 4, 0.5f);
    for (const auto& [y, yaw] : {std::pair{2.2f, 20.0f}, std::pair{1.85f, -70.0f}}) {
        GenMesh arm = box({0.0f, -0.1f, -0.03f}, {1.0f, 0.1f, 0.03f}, 4, 0.5f);
        // The arm's tip is cut to a point.
        arm.displace([](const glm::vec3& p) { return glm::vec3(p.x, p.x > 0.9f ? p.y * 0.3f : p.y, p.z); });
        arm.transform(translation({0, y, 0}) * rotationY(yaw));
        mesh.append(arm);
    }
    return mesh.standOnGround();
}

GenMesh lightSphere()
{
    return uvSphere(12, 16);
}

GenMesh terrainTile(float centreX, float centreZ, float size, int quads, float (*height)(float, float))
{
    GenMesh mesh;
    const float step = size / float(quads);
    const auto row = std::uint32_t(quads + 1);
    for (int j = 0; j <= quads; ++j) {
        for (int i = 0; i <= quads; ++i) {
            const float x = -size * 0.5f + step * float(i);
            const float z = -size * 0.5f + step * float(j);
            const float wx = centreX + x;
            const float wz = centreZ + z;
            // The normal from the height function's slope, so tiles meet without seams.
            const float e = step * 0.5f;
            const glm::vec3 normal = glm::normalize(glm::vec3(height(wx - e, wz) - height(wx + e, wz), 2.0f * e,
                                                              height(wx, wz - e) - height(wx, wz + e)));
            mesh.addVertex({x, height(wx, wz), z}, normal, glm::vec2(wx, wz) / 8.0f);
        }
    }
    for (int j = 0; j < quads; ++j) {
        for (int i = 0; i < quads; ++i) {
            const std::uint32_t a = std::uint32_t(j) * row + std::uint32_t(i);
            mesh.addTriangle(a, a + row, a + row + 1);
            mesh.addTriangle(a, a + row + 1, a + 1);
        }
    }

    // Closed underneath: walls down to below every hill's foot and a floor.
    // A simplifier then meets a sharp edge at the tile's rim and keeps the
    // rim where it is, so neighbouring tiles still meet at every level.
    constexpr float floorHeight = -60.0f;
    std::vector<std::uint32_t> rim;
    for (int i = 0; i < quads; ++i)
        rim.push_back(std::uint32_t(i));
    for (int j = 0; j < quads; ++j)
        rim.push_back(std::uint32_t(j) * row + std::uint32_t(quads));
    for (int i = quads; i > 0; --i)
        rim.push_back(std::uint32_t(quads) * row + std::uint32_t(i));
    for (int j = quads; j > 0; --j)
        rim.push_back(std::uint32_t(j) * row);
    const auto firstFoot = std::uint32_t(mesh.positions.size());
    for (std::uint32_t top : rim) {
        const glm::vec3 p = mesh.positions[top];
        mesh.addVertex({p.x, floorHeight, p.z}, {0, -1, 0}, mesh.uvs[top]);
    }
    const auto count = std::uint32_t(rim.size());
    for (std::uint32_t k = 0; k < count; ++k) {
        const std::uint32_t next = (k + 1) % count;
        // The rim runs clockwise seen from above; walls face outwards.
        mesh.addTriangle(rim[k], firstFoot + next, firstFoot + k);
        mesh.addTriangle(rim[k], rim[next], firstFoot + next);
    }
    const std::uint32_t floorCentre = mesh.addVertex({0, floorHeight, 0}, {0, -1, 0}, {0, 0});
    for (std::uint32_t k = 0; k < count; ++k)
        mesh.addTriangle(floorCentre, firstFoot + k, firstFoot + (k + 1) % count);
    return mesh;
}

}  // namespace scenegen::models
