#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>
#include <stb/stb_image.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include <glm/glm.hpp>

#include "AssimpMatrix.h"

// Checks the assets the build generated (in the runtime directory's QM folder)
// through the same library and read flags as the viewer.
namespace {

namespace fs = std::filesystem;
const fs::path assets = QM_ASSET_DIRECTORY;
constexpr unsigned readFlags = 0x0080000A;

struct PlacedNode {
    const aiNode* node;
    glm::mat4 world;  // parent's world x local
    int depth;
};

void collect(const aiNode* node, const glm::mat4& parentWorld, int depth, std::vector<PlacedNode>& out)
{
    const glm::mat4 world = parentWorld * toGlm(node->mTransformation);
    out.push_back({node, world, depth});
    for (unsigned i = 0; i < node->mNumChildren; ++i)
        collect(node->mChildren[i], world, depth + 1, out);
}

class GeneratedScene : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        importer = new Assimp::Importer;
        scene = importer->ReadFile((assets / "QM.fbx").string(), readFlags);
        ASSERT_NE(scene, nullptr) << importer->GetErrorString();
        collect(scene->mRootNode, glm::mat4(1.0f), 0, nodes);

        // "shader_sources.txt": programs and their kinds, "###", then materials and their programs.
        std::ifstream file(assets / "shader_sources.txt");
        const std::vector<std::string> words{std::istream_iterator<std::string>(file), {}};
        const auto separator = std::find(words.begin(), words.end(), "###");
        for (auto it = words.begin(); it + 1 < separator; it += 2)
            kindOf[*it] = it[1];
        for (auto it = separator + (separator != words.end()); it + 1 < words.end(); it += 2)
            programOf[*it] = it[1];
    }
    static void TearDownTestSuite()
    {
        delete importer;
        nodes.clear();
    }

    static std::string meshName(const aiNode* node) { return scene->mMeshes[node->mMeshes[0]]->mName.C_Str(); }

    static inline Assimp::Importer* importer = nullptr;
    static inline const aiScene* scene = nullptr;
    static inline std::vector<PlacedNode> nodes;
    static inline std::map<std::string, std::string> kindOf, programOf;
};

TEST_F(GeneratedScene, HasEnoughMeshesPlacementsAndTriangles)
{
    ASSERT_EQ(scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE, 0u);
    std::map<std::string, int> placements;
    std::size_t placedTriangles = 0;
    for (const PlacedNode& placed : nodes) {
        if (placed.node->mNumMeshes == 0)
            continue;
        ++placements[meshName(placed.node)];
        placedTriangles += scene->mMeshes[placed.node->mMeshes[0]]->mNumFaces;
    }
    EXPECT_GE(placements.size(), 24u);

    int total = 0, shared = 0;
    for (const auto& [name, count] : placements) {
        total += count;
        shared += count > 1 ? count : 0;
    }
    EXPECT_GE(total, 600);
    EXPECT_GT(shared, total / 2) << "most placements share a mesh";
    EXPECT_GE(placedTriangles, 500000u);
    EXPECT_LE(placedTriangles, 3000000u);

    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        EXPECT_GE(mesh->mNumFaces, 280u) << mesh->mName.C_Str();
        EXPECT_LE(mesh->mNumFaces, 40000u) << mesh->mName.C_Str();
        EXPECT_TRUE(mesh->HasNormals() && mesh->HasTextureCoords(0)) << mesh->mName.C_Str();
        for (unsigned f = 0; f < mesh->mNumFaces; ++f)
            ASSERT_EQ(mesh->mFaces[f].mNumIndices, 3u) << mesh->mName.C_Str() << " has a face that is not a triangle";
    }
}

TEST_F(GeneratedScene, TerrainTilesCoverTheMoor)
{
    glm::vec2 lo(INFINITY), hi(-INFINITY);
    int tiles = 0;
    for (const PlacedNode& placed : nodes) {
        if (placed.node->mNumMeshes == 0 || meshName(placed.node).rfind("terrain_", 0) != 0)
            continue;
        ++tiles;
        const aiMesh* mesh = scene->mMeshes[placed.node->mMeshes[0]];
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const glm::vec4 p = placed.world * glm::vec4(mesh->mVertices[v].x, mesh->mVertices[v].y, mesh->mVertices[v].z, 1);
            lo = glm::min(lo, glm::vec2(p.x, p.z));
            hi = glm::max(hi, glm::vec2(p.x, p.z));
        }
    }
    EXPECT_GE(tiles, 16);
    EXPECT_GE(hi.x - lo.x, 600.0f);
    EXPECT_GE(hi.y - lo.y, 600.0f);
    EXPECT_LE(lo.x, -300.0f);
    EXPECT_GE(hi.y, 300.0f);
}

TEST_F(GeneratedScene, GlimmetsAndLightsFlyNearTheAxis)
{
    int glimmets = 0;
    int lowLights = 0;
    std::set<std::string> lightNodes;
    for (const PlacedNode& placed : nodes) {
        const bool glimmet = placed.node->mNumMeshes > 0 && meshName(placed.node) == "glimmet_mesh";
        const bool light = placed.node->mNumMeshes == 0 && std::string(placed.node->mName.C_Str()).rfind("Point.", 0) == 0;
        if (!glimmet && !light)
            continue;
        const glm::vec3 p(placed.world[3]);
        EXPECT_LE(glm::length(glm::vec2(p.x, p.z)), 30.0f) << placed.node->mName.C_Str();
        // Some wisps start low, to light the ground around them.
        EXPECT_GE(p.y, glimmet ? 5.0f : 0.0f) << placed.node->mName.C_Str();
        EXPECT_LE(p.y, 60.0f);
        lowLights += light && p.y < 5.0f;
        glimmets += glimmet;
        if (light)
            lightNodes.insert(placed.node->mName.C_Str());
    }
    EXPECT_GE(glimmets, 40);
    EXPECT_LE(glimmets, 60);
    EXPECT_GE(lowLights, 5);

    ASSERT_GE(scene->mNumLights, 24u);
    ASSERT_LE(scene->mNumLights, 32u);
    std::set<std::string> lightNames;
    for (unsigned i = 0; i < scene->mNumLights; ++i)
        lightNames.insert(scene->mLights[i]->mName.C_Str());
    EXPECT_EQ(lightNames.size(), scene->mNumLights) << "light names are unique";
    EXPECT_TRUE(lightNames.count("Point.1000"));
    EXPECT_EQ(lightNames, lightNodes) << "every light has a mesh-less node of its name";
}

TEST_F(GeneratedScene, GroupsNestWithRotationAndScale)
{
    int deepest = 0;
    bool rotatedAndScaledParent = false;
    for (const PlacedNode& placed : nodes) {
        deepest = std::max(deepest, placed.depth);
        const glm::mat3 local(toGlm(placed.node->mTransformation));
        const float scale = glm::length(local[0]);
        const bool rotated = std::abs(local[0].x / scale - 1.0f) > 1e-3f;
        if (placed.node->mNumChildren > 0 && rotated && std::abs(scale - 1.0f) > 1e-3f)
            rotatedAndScaledParent = true;
    }
    EXPECT_GE(deepest, 4) << "root, group, group, group, mesh";
    EXPECT_TRUE(rotatedAndScaledParent);
}

TEST_F(GeneratedScene, MaterialsHaveTablesProgramsAndTextureFiles)
{
    ASSERT_GE(scene->mNumMaterials, 8u);
    for (const auto& [program, kind] : kindOf)
        EXPECT_EQ(kind, "deferred") << program;

    int layered = 0, diffuseOnly = 0, complete = 0;
    std::set<std::string> extensions;
    for (unsigned i = 0; i < scene->mNumMaterials; ++i) {
        const aiMaterial* material = scene->mMaterials[i];
        const std::string name = material->GetName().C_Str();
        ASSERT_TRUE(programOf.count(name)) << name << " has no program";
        EXPECT_TRUE(kindOf.count(programOf[name])) << name;

        std::map<aiTextureType, unsigned> counts;
        for (aiTextureType type : {aiTextureType_DIFFUSE, aiTextureType_SPECULAR, aiTextureType_NORMALS}) {
            counts[type] = aiGetMaterialTextureCount(material, type);
            for (unsigned t = 0; t < counts[type]; ++t) {
                aiString path;
                aiGetMaterialTexture(material, type, t, &path);
                EXPECT_TRUE(fs::path(path.C_Str()).is_relative()) << path.C_Str();
                const fs::path file = assets / path.C_Str();
                extensions.insert(file.extension().string());
                int width = 0, height = 0, channels = 0;
                ASSERT_TRUE(stbi_info(file.c_str(), &width, &height, &channels)) << "not a readable picture: " << file;
                EXPECT_GE(std::min(width, height), 256) << file;
                EXPECT_LE(std::max(width, height), 1024) << file;
            }
        }
        layered += counts[aiTextureType_DIFFUSE] == 2;
        diffuseOnly += counts[aiTextureType_DIFFUSE] == 1 && counts[aiTextureType_SPECULAR] == 0;
        complete += counts[aiTextureType_DIFFUSE] >= 1 && counts[aiTextureType_SPECULAR] == 1 &&
                    counts[aiTextureType_NORMALS] == 1;
    }
    EXPECT_EQ(layered, 1);
    EXPECT_GE(diffuseOnly, 2);
    EXPECT_GT(complete, int(scene->mNumMaterials) / 2);
    EXPECT_EQ(extensions, (std::set<std::string>{".jpg", ".png"}));
}

// Every mesh but the ground's and the glowing ones (glimmets, lit windows,
// lantern glass) has a billboard picture.
TEST_F(GeneratedScene, StandingMeshesHaveBillboardPictures)
{
    std::map<std::string, bool> glowing;  // each mesh name
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[i];
        glowing[mesh->mName.C_Str()] |=
            programOf[scene->mMaterials[mesh->mMaterialIndex]->GetName().C_Str()] == "material_glow";
    }
    EXPECT_TRUE(glowing["glimmet_mesh"]);
    for (const auto& [name, glows] : glowing) {
        const fs::path picture = assets / (name + ".png");
        const bool expected = !glows && name.rfind("terrain_", 0) != 0;
        ASSERT_EQ(fs::exists(picture), expected) << picture;
        if (!expected)
            continue;
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load(picture.c_str(), &width, &height, &channels, 4);
        ASSERT_NE(pixels, nullptr) << picture;
        EXPECT_EQ(channels, 4) << picture;
        // Transparent below the ground line (the lower half) and somewhere opaque above it.
        int opaqueAbove = 0, opaqueBelow = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                (y < height / 2 ? opaqueAbove : opaqueBelow) += pixels[(y * width + x) * 4 + 3] > 0;
        stbi_image_free(pixels);
        EXPECT_GT(opaqueAbove, width * height / 20) << picture;
        EXPECT_LT(opaqueBelow, width * 2) << picture;
    }
}

TEST_F(GeneratedScene, SkyFacesAreSquareAndMeetWithoutSeams)
{
    std::vector<std::vector<stbi_uc>> faces;
    int size = 0;
    for (int face = 0; face < 6; ++face) {
        const fs::path path = assets / "cubemap" / ("loadsa_colors_" + std::to_string(face) + ".jpg");
        int width = 0, height = 0, channels = 0;
        stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
        ASSERT_NE(pixels, nullptr) << path;
        ASSERT_EQ(width, height);
        ASSERT_TRUE(size == 0 || size == width);
        size = width;
        faces.emplace_back(pixels, pixels + width * height * 3);
        stbi_image_free(pixels);
    }
    // +X's left column and +Z's right column look along the same directions.
    const auto texel = [&](int face, int x, int y, int c) { return int(faces[face][(y * size + x) * 3 + c]); };
    double difference = 0.0;
    for (int y = 0; y < size; ++y)
        for (int c = 0; c < 3; ++c)
            difference += std::abs(texel(0, 0, y, c) - texel(4, size - 1, y, c));
    EXPECT_LT(difference / (size * 3), 6.0);
}

TEST_F(GeneratedScene, LightSphereIsAUnitSphere)
{
    Assimp::Importer sphereImporter;
    const aiScene* sphere = sphereImporter.ReadFile((assets / "sphere.fbx").string(), readFlags);
    ASSERT_NE(sphere, nullptr) << sphereImporter.GetErrorString();
    const aiNode* node = sphere->mRootNode->FindNode("Sphere");
    ASSERT_NE(node, nullptr);
    ASSERT_GE(node->mNumMeshes, 1u);
    const aiMesh* mesh = sphere->mMeshes[node->mMeshes[0]];
    EXPECT_GE(mesh->mNumFaces, 200u);
    EXPECT_LE(mesh->mNumFaces, 1000u);
    for (unsigned v = 0; v < mesh->mNumVertices; ++v)
        EXPECT_NEAR(mesh->mVertices[v].Length(), 1.0f, 1e-5f);
}

TEST_F(GeneratedScene, MusicIsAnMp3OfOneToTwoMinutes)
{
    const fs::path music = assets / "Lullwave.mp3";
    std::ifstream file(music, std::ios::binary);
    ASSERT_TRUE(file) << music;
    unsigned char head[2] = {};
    file.read(reinterpret_cast<char*>(head), 2);
    EXPECT_TRUE(head[0] == 0xFF && (head[1] & 0xE0) == 0xE0) << "starts with an MPEG audio frame";
    // At 96 kbit/s a second takes 12,000 bytes.
    const double seconds = double(fs::file_size(music)) / 12000.0;
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 120.0);
}

}  // namespace
