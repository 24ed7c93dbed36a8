// The GL-free parts of drawing surfaces: the environment's harmonics, the
// texture transform and the opacity a material is drawn with.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "DrawnOpacity.h"
#include "EnvironmentLight.h"
#include "MaterialImport.h"
#include "TextureTransform.h"

namespace {

qm::EnvironmentImage environmentOf(int size, float (*radiance)(const glm::vec3&))
{
    qm::EnvironmentImage image;
    image.size = size;
    for (int face = 0; face < 6; ++face)
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                image.faces[std::size_t(face)].push_back(
                    glm::vec3(radiance(glm::normalize(qm::cubeTexelDirection(face, x, y, size)))));
    return image;
}

TEST(EnvironmentLight, FacesLookAlongTheirAxes)
{
    const glm::vec3 axes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int face = 0; face < 6; ++face) {
        // The centre of an even face lies between four texels; their mean is the axis.
        glm::vec3 sum(0.0f);
        for (const auto& [x, y] : {std::pair{3, 3}, {4, 3}, {3, 4}, {4, 4}})
            sum += qm::cubeTexelDirection(face, x, y, 8);
        EXPECT_LT(glm::distance(sum / 4.0f, axes[face]), 1e-6f) << face;
    }
}

// The harmonics integrate the sphere: a uniform radiance L has L00 = L
// sqrt(4 pi) and nothing else; a sky brighter above leans the first band
// upwards. (The neutral environment shows in every model's reference view.)
TEST(EnvironmentLight, HarmonicsIntegrateTheSphere)
{
    const auto uniform = qm::radianceHarmonics(environmentOf(32, [](const glm::vec3&) { return 0.5f; }));
    EXPECT_NEAR(uniform[0].x, 0.5f * std::sqrt(4.0f * float(M_PI)), 2e-3f);
    for (std::size_t k = 1; k < 9; ++k)
        EXPECT_NEAR(uniform[k].x, 0.0f, 2e-3f) << k;

    const auto sky = qm::radianceHarmonics(environmentOf(32, [](const glm::vec3& d) { return d.y > 0 ? 1.0f : 0.0f; }));
    EXPECT_GT(sky[1].x, 0.5f) << "L1-1 follows y";
    EXPECT_NEAR(sky[2].x, 0.0f, 2e-3f);
    EXPECT_NEAR(sky[3].x, 0.0f, 2e-3f);
}

// A Radiance file of 4 x 2 texels, uncompressed: white above, black below.
std::string skyAboveHdr()
{
    std::string file = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 2 +X 4\n";
    for (int x = 0; x < 4; ++x)
        file += std::string("\x80\x80\x80\x81", 4);  // 1.0 in each channel
    file += std::string(16, '\0');
    return file;
}

TEST(EnvironmentLight, FilesBecomeCubesOrSayWhyNot)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "qm-environments";
    std::filesystem::create_directories(folder / "faces");
    std::filesystem::create_directories(folder / "no-faces");
    std::ofstream(folder / "sky.hdr", std::ios::binary) << skyAboveHdr();
    std::ofstream(folder / "faces" / "posx.hdr", std::ios::binary) << skyAboveHdr();
    std::ofstream(folder / "broken.hdr", std::ios::binary) << "#?RADIANCE\n";

    std::string problem;
    const auto sky = qm::loadEnvironment((folder / "sky.hdr").string(), 8, problem);
    ASSERT_TRUE(sky) << problem;
    EXPECT_GT(sky->faces[2][27].x, 0.9f) << "+y looks up into the light";
    EXPECT_EQ(sky->faces[3][27].x, 0.0f) << "-y looks down into the dark";
    EXPECT_GT(qm::radianceHarmonics(*sky)[1].x, 0.5f);

    const struct {
        const char* name;
        const char* problem;
    } failures[] = {{"missing.hdr", "Unable to open file"},
                    {"broken.hdr", "unsupported format"},
                    {"faces", "the face posx is not square"},
                    {"no-faces", "no face posx (.hdr, .png or .jpg) in the folder"}};
    for (const auto& f : failures) {
        EXPECT_FALSE(qm::loadEnvironment((folder / f.name).string(), 8, problem)) << f.name;
        EXPECT_EQ(problem, f.problem) << f.name;
    }
    std::filesystem::remove_all(folder);
}

TEST(TextureTransform, ActsOnTheFilesCoordinatesNotTheFlippedOnes)
{
    const struct {
        const char* name;
        std::array<float, 2> offset;
        std::array<float, 2> scale;
        float rotation;
        glm::vec2 in;
        glm::vec2 out;
    } cases[] = {
        {"offset", {0.5f, 0.25f}, {1, 1}, 0.0f, {0.1f, 0.1f}, {0.6f, 0.35f}},
        {"scale", {0, 0}, {2.0f, 3.0f}, 0.0f, {0.1f, 0.1f}, {0.2f, 0.3f}},
        // glTF's rotation turns u towards -v: a quarter turn takes (1, 0) to (0, -1).
        {"rotation", {0, 0}, {1, 1}, float(M_PI) / 2.0f, {1.0f, 0.0f}, {0.0f, -1.0f}},
    };
    for (const auto& c : cases) {
        qm::SceneTexture texture;
        texture.offset = c.offset;
        texture.scale = c.scale;
        texture.rotation = c.rotation;
        // What the file's (u, v) becomes, seen through the viewer's flipped v.
        const glm::vec3 flipped = qm::textureTransform(texture) * glm::vec3(c.in.x, 1.0f - c.in.y, 1.0f);
        EXPECT_NEAR(flipped.x, c.out.x, 1e-6f) << c.name;
        EXPECT_NEAR(1.0f - flipped.y, c.out.y, 1e-6f) << c.name;
    }
}

// Only a classic material with no opacity picture at opacity 0 is taken for
// a mix-up of conventions, and said so (in words the open-model test holds).
TEST(DrawnOpacity, OnlyAClassicZeroWithoutPictureIsDrawnOpaque)
{
    const auto material = [](float opacity, bool physicallyBased, bool picture) {
        qm::SceneMaterial m;
        m.opacity = opacity;
        m.physicallyBased = physicallyBased;
        if (picture)
            m.textures.push_back({qm::TextureSlot::Opacity, "alpha.png"});
        return m;
    };
    const struct {
        const char* name;
        qm::SceneMaterial material;
        float drawn;
    } cases[] = {
        {"classic at 0", material(0.0f, false, false), 1.0f},
        {"classic below 0", material(-0.5f, false, false), 1.0f},
        {"classic at 0.5", material(0.5f, false, false), 0.5f},
        {"classic at 0 with an opacity picture", material(0.0f, false, true), 0.0f},
        {"physically based at 0", material(0.0f, true, false), 0.0f},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_EQ(qm::drawnOpacity(c.material, why), c.drawn) << c.name;
        EXPECT_EQ(why.empty(), c.drawn == c.material.opacity) << c.name;
    }
}

// A file's layers are kept within their ranges (a value that is not a
// number counts as absent), and any layer sends a surface to the forward
// pass, as blending does.
TEST(SurfaceLayers, FactorsStayInRangeAndLayersAreDrawnForward)
{
    const float nan = std::nanf("");
    qm::SceneMaterial from;
    from.clearcoat = 2.0f;
    from.sheenColour = {nan, -1.0f, 0.5f};
    from.transmission = nan;
    from.thickness = -3.0f;
    from.attenuationColour = {nan, 2.0f, 0.5f};
    from.ior = 0.5f;
    from.dielectricSpecularColour = {4.0f, nan, 0.0f};
    const qm::SurfaceLayers layers = qm::surfaceLayers(from);
    EXPECT_EQ(layers.clearcoat, 1.0f);
    EXPECT_EQ(layers.sheenColour, glm::vec3(0.0f, 0.0f, 0.5f));
    EXPECT_EQ(layers.transmission, 0.0f);
    EXPECT_EQ(layers.thickness, 0.0f);
    EXPECT_EQ(layers.attenuationColour, glm::vec3(1.0f, 1.0f, 0.5f));
    EXPECT_EQ(layers.ior, 1.0f);
    EXPECT_EQ(layers.specularColour, glm::vec3(4.0f, 1.0f, 0.0f));

    qm::Material material;
    material.shading = qm::Shading::PhysicallyBased;
    EXPECT_FALSE(material.drawnForward());
    material.surface.layers = qm::surfaceLayers(qm::SceneMaterial{});
    EXPECT_FALSE(material.drawnForward()) << "glTF's defaults are no layer";
    material.surface.layers.ior = 1.33f;
    EXPECT_TRUE(material.drawnForward());
    material.shading = qm::Shading::Classic;
    EXPECT_FALSE(material.drawnForward()) << "only physically based surfaces have layers";
    material.coverage = qm::Coverage::Blend;
    EXPECT_TRUE(material.drawnForward());
}

}  // namespace
