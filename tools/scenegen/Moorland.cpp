#include "Moorland.h"

#include <cmath>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "Billboard.h"
#include "FbxScene.h"
#include "Models.h"
#include "Music.h"
#include "Noise.h"
#include "Sky.h"
#include "Textures.h"

namespace scenegen {

namespace fs = std::filesystem;

namespace {

// Landmarks, in world units (x east, z south; the viewer starts at the origin looking north).
const glm::vec2 stoneCircleCentre{0.0f, -30.0f};
constexpr float stoneCircleRadius = 11.0f;
const glm::vec2 wellPlace{34.0f, -72.0f};
const glm::vec2 chapelPlace{-48.0f, -104.0f};
const glm::vec2 hamletCentre{10.0f, -60.0f};
constexpr float terrainExtent = 640.0f;
constexpr int terrainTiles = 10;

// The lanes between the landmarks, as polylines.
const std::vector<std::vector<glm::vec2>> paths = {
    {{0.0f, 4.0f}, {1.0f, -8.0f}, {0.0f, -18.0f}},
    {{6.0f, -40.0f}, {14.0f, -52.0f}, {26.0f, -64.0f}, {33.0f, -69.0f}},
    {{30.0f, -76.0f}, {10.0f, -88.0f}, {-14.0f, -96.0f}, {-38.0f, -102.0f}},
    {{40.0f, -74.0f}, {70.0f, -80.0f}, {110.0f, -92.0f}, {160.0f, -100.0f}},
};

float distanceToSegment(glm::vec2 p, glm::vec2 a, glm::vec2 b)
{
    const glm::vec2 ab = b - a;
    const float t = glm::clamp(glm::dot(p - a, ab) / glm::dot(ab, ab), 0.0f, 1.0f);
    return glm::length(p - (a + ab * t));
}

float distanceToPaths(glm::vec2 p)
{
    float best = INFINITY;
    for (const auto& path : paths) {
        for (std::size_t i = 0; i + 1 < path.size(); ++i)
            best = std::min(best, distanceToSegment(p, path[i], path[i + 1]));
    }
    return best;
}

struct MeshKind {
    const char* name;
    GenMesh (*build)();
    const char* material;
    // Whether it has a far-away picture; the glowing ones have none (a
    // picture would not glow, and they are small).
    bool billboard;
};

const MeshKind meshKinds[] = {
    {"glimmet_mesh", models::glimmet, "Glimmet", false},
    {"standing_stone_tall", models::standingStoneTall, "MossyStone", true},
    {"standing_stone_squat", models::standingStoneSquat, "MossyStone", true},
    {"altar_stone", models::altarStone, "MossyStone", true},
    {"boulder_round", models::boulderRound, "Stone", true},
    {"boulder_flat", models::boulderFlat, "Stone", true},
    {"cottage_walls", models::cottageWalls, "Whitewash", true},
    {"cottage_roof", models::cottageRoof, "Thatch", true},
    {"cottage_chimney", models::cottageChimney, "Stone", true},
    {"cottage_door", models::cottageDoor, "Wood", true},
    {"cottage_windows", models::cottageWindows, "Lamplight", false},
    {"chapel_nave", models::chapelNave, "Stone", true},
    {"chapel_roof", models::chapelRoof, "Slate", true},
    {"chapel_tower", models::chapelTower, "Stone", true},
    {"chapel_spire", models::chapelSpire, "Slate", true},
    {"chapel_windows", models::chapelWindows, "Lamplight", false},
    {"well_base", models::wellBase, "Stone", true},
    {"well_roof", models::wellRoof, "Wood", true},
    {"drystone_wall", models::drystoneWall, "Stone", true},
    {"fence_segment", models::fenceSegment, "Wood", true},
    {"tree_oak", models::treeOak, "Woodland", true},
    {"tree_pine", models::treePine, "Woodland", true},
    {"tree_birch", models::treeBirch, "Woodland", true},
    {"tree_rowan", models::treeRowan, "Woodland", true},
    {"gorse_bush", models::gorseBush, "Gorse", true},
    {"path_flagstones", models::pathFlagstones, "Gravel", true},
    {"signpost", models::signpost, "Wood", true},
    {"lantern_post", models::lanternPost, "Wood", true},
    {"lantern_glass", models::lanternGlass, "Lamplight", false},
};

struct MaterialKind {
    const char* name;
    const char* program;
    glm::vec3 colour;
    FbxScene::MaterialTextures textures;
};

const MaterialKind materialKinds[] = {
    {"Heather", "material_standard", {0.45f, 0.3f, 0.4f},
     {{"textures/heather_d.jpg"}, "textures/heather_s.png", "textures/heather_n.png"}},
    {"Stone", "material_standard", {0.5f, 0.5f, 0.48f},
     {{"textures/stone_d.jpg"}, "textures/stone_s.png", "textures/stone_n.png"}},
    {"MossyStone", "material_layered", {0.45f, 0.5f, 0.4f},
     {{"textures/stone_d.jpg", "textures/moss_d.png"}, "textures/stone_s.png", "textures/stone_n.png"}},
    {"Thatch", "material_standard", {0.6f, 0.5f, 0.3f},
     {{"textures/thatch_d.jpg"}, "textures/thatch_s.png", "textures/thatch_n.png"}},
    {"Whitewash", "material_standard", {0.85f, 0.84f, 0.8f},
     {{"textures/whitewash_d.jpg"}, "textures/whitewash_s.png", "textures/whitewash_n.png"}},
    {"Slate", "material_standard", {0.3f, 0.32f, 0.36f},
     {{"textures/slate_d.jpg"}, "textures/slate_s.png", "textures/slate_n.png"}},
    {"Gravel", "material_standard", {0.45f, 0.4f, 0.35f},
     {{"textures/gravel_d.jpg"}, "textures/gravel_s.png", "textures/gravel_n.png"}},
    {"Woodland", "material_standard", {0.3f, 0.4f, 0.2f},
     {{"textures/woodland_d.png"}, "textures/woodland_s.png", "textures/woodland_n.png"}},
    {"Wood", "material_diffuse", {0.4f, 0.35f, 0.3f}, {{"textures/wood_d.png"}, "", ""}},
    {"Gorse", "material_diffuse", {0.3f, 0.4f, 0.15f}, {{"plants/gorse_d.png"}, "", ""}},
    {"Glimmet", "material_glow", {0.6f, 0.9f, 0.9f}, {{"creatures/glimmet_d.png"}, "", ""}},
    // Lit windows and lanterns at dusk: the glow program lifts them above 1, for the bloom.
    {"Lamplight", "material_glow", {1.0f, 0.7f, 0.35f}, {{"textures/lamplight_d.png"}, "", ""}},
};

const char* const programs[] = {"material_standard", "material_layered", "material_diffuse", "material_glow"};

// Builds the model file's node tree, keeping the ids of shared geometries and materials.
class Layout {
public:
    explicit Layout(const std::map<std::string, GenMesh>& meshes)
    {
        for (const MaterialKind& m : materialKinds)
            materials[m.name] = scene.addMaterial(m.name, m.colour, m.textures);
        for (const MeshKind& k : meshKinds) {
            geometries[k.name] = scene.addGeometry(k.name, meshes.at(k.name));
            meshMaterial[k.name] = k.material;
        }
    }

    FbxScene::Id group(const std::string& name, FbxScene::Id parent, const FbxScene::Transform& t)
    {
        ++objectCount;
        return scene.addGroupNode(name, parent, t);
    }

    void place(const std::string& meshName, FbxScene::Id parent, const FbxScene::Transform& t)
    {
        const std::string name = meshName + "_" + std::to_string(++placed[meshName]);
        scene.addMeshNode(name, parent, t, geometries.at(meshName), materials.at(meshMaterial.at(meshName)));
        ++objectCount;
    }

    // A mesh standing on the ground at a world position, under a parent at the origin.
    void placeOnGround(const std::string& meshName, FbxScene::Id parent, glm::vec2 at, float yaw, float scale,
                       glm::vec2 tilt = {0.0f, 0.0f})
    {
        place(meshName, parent, {{at.x, terrainHeight(at.x, at.y) - 0.1f * scale, at.y}, {tilt.x, yaw, tilt.y},
                                 glm::vec3(scale)});
    }

    FbxScene scene;
    std::map<std::string, FbxScene::Id> geometries;
    std::map<std::string, FbxScene::Id> materials;
    std::map<std::string, std::string> meshMaterial;
    std::map<std::string, int> placed;
    int objectCount = 0;
};

// The ground in tiles of `resolution` x `resolution` quads.
void addTerrain(Layout& layout, FbxScene::Id parent, int resolution = 32)
{
    const float tileSize = terrainExtent / float(terrainTiles);
    for (int row = 0; row < terrainTiles; ++row) {
        for (int column = 0; column < terrainTiles; ++column) {
            const float cx = -terrainExtent * 0.5f + tileSize * (float(column) + 0.5f);
            const float cz = -terrainExtent * 0.5f + tileSize * (float(row) + 0.5f);
            const std::string name = "terrain_" + std::to_string(row) + "_" + std::to_string(column);
            const FbxScene::Id geometry =
                layout.scene.addGeometry(name, models::terrainTile(cx, cz, tileSize, resolution, terrainHeight));
            layout.scene.addMeshNode(name, parent, {{cx, 0.0f, cz}, {}, glm::vec3(1.0f)}, geometry,
                                     layout.materials.at("Heather"));
            ++layout.objectCount;
        }
    }
}

void addStoneCircle(Layout& layout, FbxScene::Id parent, Random& random)
{
    // The circle's own group is raised to the ground at its centre; stones are placed in its frame.
    const float baseHeight = terrainHeight(stoneCircleCentre.x, stoneCircleCentre.y);
    const FbxScene::Id circle =
        layout.group("StoneCircle", parent, {{stoneCircleCentre.x, baseHeight, stoneCircleCentre.y}, {0, 12, 0}, {1, 1, 1}});
    for (int i = 0; i < 13; ++i) {
        const float angle = 2.0f * float(M_PI) * float(i) / 13.0f;
        const glm::vec2 local(std::cos(angle) * stoneCircleRadius, std::sin(angle) * stoneCircleRadius);
        const glm::vec2 world = stoneCircleCentre + local;
        const float lift = terrainHeight(world.x, world.y) - baseHeight - 0.15f;
        const char* mesh = i % 3 == 1 ? "standing_stone_squat" : "standing_stone_tall";
        layout.place(mesh, circle,
                     {{local.x, lift, local.y},
                      {random.uniform(-6, 6), -glm::degrees(angle) + 90.0f, random.uniform(-6, 6)},
                      glm::vec3(random.uniform(0.85f, 1.2f))});
    }
    layout.place("altar_stone", circle, {{0, -0.1f, 0}, {0, 30, 0}, {1, 1, 1}});
}

// A lantern on its post, its glass hanging towards the post's +x.
void addLantern(Layout& layout, FbxScene::Id parent, const FbxScene::Transform& placement)
{
    const FbxScene::Id lantern = layout.group("Lantern", parent, placement);
    layout.place("lantern_post", lantern, {});
    layout.place("lantern_glass", lantern, {});
}

void addHamlet(Layout& layout, FbxScene::Id parent, Random& random)
{
    // The hamlet is a rotated frame: its cottages are laid out on a ring in it.
    const FbxScene::Transform frame{{hamletCentre.x, 0.0f, hamletCentre.y}, {0, 25, 0}, {1, 1, 1}};
    const FbxScene::Id hamlet = layout.group("Hamlet", parent, frame);
    const glm::mat4 toLocal = glm::inverse(frame.matrix());
    const auto localOf = [&](glm::vec2 world) {
        return glm::vec3(toLocal * glm::vec4(world.x, terrainHeight(world.x, world.y) - 0.15f, world.y, 1.0f));
    };

    const glm::vec2 cottages[] = {{52, -58}, {58, -80}, {44, -96}, {18, -88}, {20, -58}, {64, -104}, {36, -46}};
    for (std::size_t i = 0; i < std::size(cottages); ++i) {
        const glm::vec2 to = wellPlace - cottages[i];
        const float faceWell = glm::degrees(std::atan2(to.x, to.y));  // the door (+z) faces the well
        const FbxScene::Id cottage =
            layout.group("cottage_" + std::to_string(i + 1), hamlet,
                         {localOf(cottages[i]), {0, faceWell - 25.0f + random.uniform(-8, 8), 0},
                          glm::vec3(random.uniform(0.9f, 1.1f))});
        layout.place("cottage_walls", cottage, {});
        layout.place("cottage_roof", cottage, {{0, 3.0f, 0}, {}, {1, 1, 1}});
        layout.place("cottage_chimney", cottage, {{3.3f, 4.4f, 0}, {}, {1, 1, 1}});
        layout.place("cottage_door", cottage, {{1.2f, 0.0f, 2.52f}, {}, {1, 1, 1}});
        layout.place("cottage_windows", cottage, {});
    }

    const FbxScene::Id well = layout.group("Well", hamlet, {localOf(wellPlace), {0, 10, 0}, {1, 1, 1}});
    layout.place("well_base", well, {});
    layout.place("well_roof", well, {});
    addLantern(layout, well, {{1.9f, 0.0f, 0.9f}, {0, -30, 0}, {1, 1, 1}});

    const FbxScene::Id chapel = layout.group(
        "Chapel", parent,
        {{chapelPlace.x, terrainHeight(chapelPlace.x, chapelPlace.y) - 0.2f, chapelPlace.y}, {0, 80, 0}, {1, 1, 1}});
    layout.place("chapel_nave", chapel, {});
    layout.place("chapel_roof", chapel, {{0, 5.0f, 0}, {}, {1, 1, 1}});
    layout.place("chapel_tower", chapel, {{-8.7f, 0, 0}, {}, {1, 1, 1}});
    layout.place("chapel_spire", chapel, {{-8.7f, 12.0f, 0}, {}, {1, 1, 1}});
    layout.place("chapel_windows", chapel, {});
    // The door in the east gable, opposite the tower, with a lantern beside it.
    layout.place("cottage_door", chapel, {{7.06f, 0.0f, 0.0f}, {0, 90, 0}, {1.2f, 1.2f, 1.2f}});
    addLantern(layout, chapel, {{7.8f, 0.0f, 1.6f}, {0, 180, 0}, {1, 1, 1}});
}

// Segments of `meshName`, `length` long, laid end to end along a polyline.
void addLine(Layout& layout, FbxScene::Id parent, const std::string& meshName, float length,
             const std::vector<glm::vec2>& line)
{
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const glm::vec2 a = line[i];
        const glm::vec2 b = line[i + 1];
        const int count = std::max(1, int(std::lround(glm::length(b - a) / length)));
        const float yaw = glm::degrees(std::atan2(-(b.y - a.y), b.x - a.x));
        for (int k = 0; k < count; ++k)
            layout.placeOnGround(meshName, parent, glm::mix(a, b, (float(k) + 0.5f) / float(count)), yaw, 1.0f);
    }
}

void addBoundaries(Layout& layout, FbxScene::Id parent)
{
    const FbxScene::Id walls = layout.group("Walls", parent, {});
    addLine(layout, walls, "drystone_wall", 6.0f, {{70, -40}, {130, -40}, {130, -10}, {70, -10}, {70, -40}});
    addLine(layout, walls, "drystone_wall", 6.0f, {{-30, -50}, {-90, -60}, {-110, -20}, {-40, 0}});
    addLine(layout, walls, "drystone_wall", 6.0f, {{-20, -130}, {40, -140}, {100, -130}});
    const FbxScene::Id fences = layout.group("Fences", parent, {});
    addLine(layout, fences, "fence_segment", 4.0f, {{70, -110}, {95, -110}, {95, -130}, {70, -130}});
    addLine(layout, fences, "fence_segment", 4.0f, {{-20, -70}, {-20, -86}, {0, -86}});
}

void addPaths(Layout& layout, FbxScene::Id parent)
{
    const FbxScene::Id lanes = layout.group("Paths", parent, {});
    for (const auto& path : paths) {
        for (std::size_t i = 0; i + 1 < path.size(); ++i) {
            const glm::vec2 a = path[i];
            const glm::vec2 b = path[i + 1];
            const int count = std::max(1, int(glm::length(b - a) / 3.2f));
            const float yaw = glm::degrees(std::atan2(-(b.y - a.y), b.x - a.x));
            for (int k = 0; k < count; ++k)
                layout.placeOnGround("path_flagstones", lanes, glm::mix(a, b, (float(k) + 0.5f) / float(count)),
                                     yaw + float(k % 3) * 7.0f, 1.0f);
        }
    }
    layout.placeOnGround("signpost", lanes, {12.0f, -47.0f}, 30.0f, 1.0f);
}

// Scatters a mesh in a region, away from buildings, lanes and each other.
class Scatter {
public:
    bool free(glm::vec2 p, float spacing) const
    {
        if (glm::length(p - stoneCircleCentre) < stoneCircleRadius + 6.0f || glm::length(p - wellPlace) < 12.0f ||
            glm::length(p - chapelPlace) < 18.0f || distanceToPaths(p) < 3.0f || std::abs(p.x) > 315.0f ||
            std::abs(p.y) > 315.0f)
            return false;
        if (glm::length(p - hamletCentre) < 55.0f && glm::length(p - wellPlace) < 45.0f)
            return false;  // the cottages' gardens
        for (const glm::vec2& q : taken) {
            if (glm::length(p - q) < spacing)
                return false;
        }
        return true;
    }

    void add(Layout& layout, Random& random, FbxScene::Id parent, const std::string& mesh, int count,
             glm::vec2 centre, float radius, float spacing, glm::vec2 scaleRange)
    {
        for (int placedHere = 0, tries = 0; placedHere < count && tries < count * 50; ++tries) {
            const float angle = random.uniform(0.0f, 2.0f * float(M_PI));
            const float r = radius * std::sqrt(random.uniform());
            const glm::vec2 p = centre + glm::vec2(std::cos(angle), std::sin(angle)) * r;
            if (!free(p, spacing))
                continue;
            taken.push_back(p);
            layout.placeOnGround(mesh, parent, p, random.uniform(0, 360), random.uniform(scaleRange.x, scaleRange.y));
            ++placedHere;
        }
    }

private:
    std::vector<glm::vec2> taken;
};

void addVegetationAndRocks(Layout& layout, FbxScene::Id parent, Random& random)
{
    Scatter scatter;
    const FbxScene::Id trees = layout.group("Trees", parent, {});
    scatter.add(layout, random, trees, "tree_pine", 70, {-170, -190}, 90, 7, {0.8f, 1.3f});
    scatter.add(layout, random, trees, "tree_birch", 50, {140, -170}, 70, 5, {0.8f, 1.2f});
    scatter.add(layout, random, trees, "tree_oak", 40, {60, -40}, 120, 9, {0.8f, 1.2f});
    scatter.add(layout, random, trees, "tree_oak", 20, {0, 0}, 300, 10, {0.9f, 1.3f});
    scatter.add(layout, random, trees, "tree_rowan", 30, {0, -40}, 120, 6, {0.8f, 1.1f});
    scatter.add(layout, random, trees, "tree_pine", 30, {0, 0}, 300, 8, {0.9f, 1.4f});
    const FbxScene::Id bushes = layout.group("Gorse", parent, {});
    scatter.add(layout, random, bushes, "gorse_bush", 140, {0, 0}, 300, 3, {0.7f, 1.4f});
    const FbxScene::Id rocks = layout.group("Rocks", parent, {});
    scatter.add(layout, random, rocks, "boulder_round", 45, {0, 0}, 300, 4, {0.6f, 1.6f});
    scatter.add(layout, random, rocks, "boulder_flat", 40, {0, 0}, 300, 4, {0.6f, 1.5f});
}

// Glimmets and light wisps start within 30 units of the vertical axis, between heights 5 and 60.
void addFlyers(Layout& layout, FbxScene::Id parent, Random& random)
{
    const auto flyerPlace = [&]() {
        const float angle = random.uniform(0.0f, 2.0f * float(M_PI));
        const float r = 3.0f + 26.0f * std::sqrt(random.uniform());
        return glm::vec3(std::cos(angle) * r, random.uniform(5.0f, 60.0f), std::sin(angle) * r);
    };
    const FbxScene::Id creatures = layout.group("Glimmets", parent, {});
    for (int i = 0; i < 48; ++i)
        layout.place("glimmet_mesh", creatures, {flyerPlace(), {0, random.uniform(0, 360), 0}, glm::vec3(1.0f)});
    const FbxScene::Id wisps = layout.group("Wisps", parent, {});
    for (int i = 0; i < 28; ++i) {
        glm::vec3 at = flyerPlace();
        // A third of the wisps start low, where their light falls on the ground and the stones.
        if (i % 3 == 0)
            at.y = terrainHeight(at.x, at.z) + 1.5f + (at.y - 5.0f) * 0.05f;
        layout.scene.addLightNode("Point." + std::to_string(1000 + i), wisps, {at, {}, glm::vec3(1.0f)},
                                  {0.8f, 0.8f, 1.0f});
        ++layout.objectCount;
    }
}

bool writeText(const fs::path& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary);
    file << text;
    if (!file) {
        std::cerr << "Cannot write " << path.string() << std::endl;
        return false;
    }
    return true;
}

bool writeImage(const Image& image, const fs::path& path)
{
    return path.extension() == ".jpg" ? writeJpeg(image, path) : writePng(image, path);
}

std::string shaderTable()
{
    std::string text;
    for (const char* program : programs)
        text += std::string(program) + " deferred\n";
    text += "###\n";
    for (const MaterialKind& m : materialKinds)
        text += std::string(m.name) + " " + m.program + "\n";
    return text;
}

bool writeSphere(const fs::path& path)
{
    FbxScene sphere;
    const FbxScene::Id material = sphere.addMaterial("LightVolume", glm::vec3(1.0f), {});
    sphere.addMeshNode("Sphere", FbxScene::root, {}, sphere.addGeometry("Sphere", models::lightSphere()), material);
    return sphere.write(path);
}

}  // namespace

float terrainHeight(float x, float z)
{
    const glm::vec2 p(x, z);
    const float rolling = (fbm(p / 150.0f, 5, 7) - 0.5f) * 70.0f;
    const float detail = (fbm(p / 23.0f, 3, 8) - 0.5f) * 5.0f;
    // The hamlet and the stone circle sit in a gentle hollow; the moor rises towards the horizon.
    const float distance = std::min(glm::length(p - hamletCentre), glm::length(p - stoneCircleCentre) + 15.0f);
    const float settle = glm::smoothstep(40.0f, 150.0f, distance);
    const float rim = std::max(0.0f, glm::length(p) - 140.0f) * 0.09f;
    return glm::mix(detail * 0.25f, rolling + detail + rim, settle);
}

bool writeSmallModel(const fs::path& file)
{
    std::map<std::string, GenMesh> meshes;
    for (const MeshKind& kind : meshKinds)
        meshes[kind.name] = kind.build();
    Layout layout(meshes);
    const FbxScene::Id moor = layout.group("Moor", FbxScene::root, {});
    constexpr float tileSize = terrainExtent / float(terrainTiles);
    const glm::vec2 centre(0.0f, -tileSize * 0.5f);
    const FbxScene::Id ground = layout.scene.addGeometry(
        "terrain_small", models::terrainTile(centre.x, centre.y, tileSize, 32, terrainHeight));
    layout.scene.addMeshNode("terrain_small", moor, {{centre.x, 0.0f, centre.y}, {}, glm::vec3(1.0f)}, ground,
                             layout.materials.at("Heather"));
    std::vector<std::string> kinds;
    for (const MeshKind& kind : meshKinds) {
        if (kind.billboard)
            kinds.push_back(kind.name);
    }
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const float angle = 2.0f * float(M_PI) * float(i) / float(kinds.size());
        layout.placeOnGround(kinds[i], moor, centre + 14.0f * glm::vec2(std::cos(angle), std::sin(angle)),
                             float(i) * 15.0f, 1.0f);
    }
    const FbxScene::Id flyers = layout.group("Glimmets", moor, {});
    for (int i = 0; i < 3; ++i) {
        const glm::vec3 at(-6.0f + 6.0f * float(i), 12.0f, centre.y + 4.0f);
        layout.place("glimmet_mesh", flyers, {at, {}, glm::vec3(1.0f)});
        layout.scene.addLightNode("Point." + std::to_string(1000 + i), flyers, {at + glm::vec3(0, 3, 0), {}, glm::vec3(1.0f)},
                                  {0.8f, 0.8f, 1.0f});
    }
    return layout.scene.write(file);
}

bool writeLargeModel(const fs::path& file)
{
    std::map<std::string, GenMesh> meshes;
    for (const MeshKind& kind : meshKinds)
        meshes[kind.name] = kind.build();
    Layout layout(meshes);
    Random random(2024);
    const FbxScene::Id moor = layout.group("Moor", FbxScene::root, {});
    // 100 tiles of 100 x 100 quads: about two million triangles, no two alike.
    addTerrain(layout, layout.group("Terrain", moor, {}), 100);
    addStoneCircle(layout, moor, random);
    addHamlet(layout, moor, random);
    return layout.scene.write(file);
}

bool generateMoorland(const fs::path& directory)
{
    for (const char* folder : {"", "textures", "plants", "creatures", "cubemap"})
        fs::create_directories(directory / folder);

    std::map<std::string, Image> textures;
    for (TextureFile& file : materialTextures()) {
        if (!writeImage(file.image, directory / file.path))
            return false;
        textures[file.path] = std::move(file.image);
    }
    for (int face = 0; face < 6; ++face) {
        if (!writeJpeg(skyFace(face, 512), directory / "cubemap" / ("loadsa_colors_" + std::to_string(face) + ".jpg")))
            return false;
    }

    std::map<std::string, GenMesh> meshes;
    for (const MeshKind& kind : meshKinds)
        meshes[kind.name] = kind.build();

    // Billboards show each mesh in its material's first diffuse colours (moss laid over stone).
    for (const MeshKind& kind : meshKinds) {
        if (!kind.billboard)
            continue;
        const MaterialKind& material =
            *std::find_if(std::begin(materialKinds), std::end(materialKinds),
                          [&](const MaterialKind& m) { return std::string(m.name) == kind.material; });
        std::vector<const Image*> layers;
        for (const std::string& path : material.textures.diffuse)
            layers.push_back(&textures.at(path));
        const auto albedo = [&](glm::vec2 uv) {
            glm::vec3 colour = glm::vec3(sampleRepeat(*layers.front(), uv));
            for (std::size_t i = 1; i < layers.size(); ++i) {
                const glm::vec4 layer = sampleRepeat(*layers[i], uv);
                colour = glm::mix(colour, glm::vec3(layer), layer.a);
            }
            return colour;
        };
        if (!writePng(renderBillboard(meshes.at(kind.name), albedo, 256), directory / (std::string(kind.name) + ".png")))
            return false;
    }

    Layout layout(meshes);
    Random random(2024);
    const FbxScene::Id moor = layout.group("Moor", FbxScene::root, {});
    addTerrain(layout, layout.group("Terrain", moor, {}));
    addStoneCircle(layout, moor, random);
    addHamlet(layout, moor, random);
    addBoundaries(layout, moor);
    addPaths(layout, moor);
    addVegetationAndRocks(layout, moor, random);
    addFlyers(layout, moor, random);

    return layout.scene.write(directory / "QM.fbx") && writeSphere(directory / "sphere.fbx") &&
           writeText(directory / "shader_sources.txt", shaderTable()) && writeLullaby(directory / "Lullwave.mp3");
}

}  // namespace scenegen
