#include <gtest/gtest.h>

#include <filesystem>

#include "Billboard.h"
#include "GLResources.h"
#include "Image.h"
#include "ImportContext.h"
#include "LevelOfDetailBuild.h"
#include "MeshLOD.h"
#include "Shader.h"
#include "TestApplication.h"
#include "Texture.h"

namespace {

namespace fs = std::filesystem;

class Billboards : public testing::Test {
protected:
    void SetUp() override
    {
        testApplication();
        directory = fs::temp_directory_path() / "qm-billboards";
        fs::create_directories(directory);
        context.session.resources = &resources;
        context.session.assetDirectory = directory.string();
        context.session.billboardShader = std::make_shared<qm::Shader>();
        scenegen::Image picture(4, 8);
        ASSERT_TRUE(scenegen::writePng(picture, directory / "tree.png"));
    }
    void TearDown() override { fs::remove_all(directory); }

    fs::path directory;
    qm::GLResources resources;
    qm::ImportContext context;
};

TEST_F(Billboards, CarryTheirSizeInEveryVertex)
{
    const auto billboard = qm::createBillboard(resources, qm::loadImage((directory / "tree.png").string()), context.session.billboardShader, 3.0f, 8.0f);
    ASSERT_TRUE(billboard);
    EXPECT_EQ(billboard->billboardSize, glm::vec2(3, 8));
    ASSERT_EQ(billboard->getVertices().size(), 3u);
    const glm::vec3 corners[3] = {{0, 0, 0}, {0, 3, 0}, {1, 0, 0}};
    for (int i = 0; i < 3; ++i) {
        const qm::Vertex& v = billboard->getVertices()[std::size_t(i)];
        EXPECT_EQ(v.position, corners[i]);
        EXPECT_EQ(v.normal, glm::vec3(3, 8, 0));
        EXPECT_EQ(v.texCoords, glm::vec2(3, 8));
    }
    EXPECT_EQ(billboard->getIndices(), (std::vector<std::uint32_t>{0, 1, 2}));
    const qm::Material& material = *billboard->getMaterial();
    EXPECT_EQ(material.shader, context.session.billboardShader);
    ASSERT_EQ(material.textures.size(), 1u);
    EXPECT_EQ(material.textures[0]->kind, qm::TextureKind::Diffuse);
    EXPECT_EQ(material.ambient, glm::vec3(0.2f));
    EXPECT_EQ(material.shininess, 32.0f);

    EXPECT_EQ(qm::createBillboard(resources, qm::loadImage((directory / "no-such-picture.png").string()), context.session.billboardShader, 1, 1), nullptr) << "silently empty";
}

TEST_F(Billboards, TakeTheFullWidthAndTwiceTheHeightOfTheMesh)
{
    // x from -1 to 3 and y from 0 to 2: half extents 2 and 1, a billboard 4 by 4.
    const std::vector<qm::Vertex> vertices = {{{-1, 0, 0}, {0, 0, 1}, {0, 0}},
                                              {{3, 0, 0}, {0, 0, 1}, {1, 0}},
                                              {{0, 2, 0}, {0, 0, 1}, {0, 1}}};
    auto mesh = std::make_shared<qm::Mesh>(vertices, std::vector<std::uint32_t>{0, 1, 2}, nullptr);
    auto chain = std::make_shared<qm::MeshLOD>(mesh, mesh, mesh);
    chain->computeBoundingBox();
    context.build.meshLODs.emplace("tree", chain);
    testing::internal::CaptureStdout();
    qm::generateLODs(context);
    testing::internal::GetCapturedStdout();
    ASSERT_TRUE(chain->getLevel(3));
    EXPECT_EQ(chain->getLevel(3)->billboardSize, glm::vec2(4, 4));
}

}  // namespace
