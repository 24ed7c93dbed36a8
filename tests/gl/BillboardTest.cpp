#include <gtest/gtest.h>

#include <filesystem>

#include "GLResources.h"
#include "Image.h"
#include "ImportContext.h"
#include "LevelOfDetailBuild.h"
#include "MeshLOD.h"
#include "TestApplication.h"

namespace {

namespace fs = std::filesystem;

// A mesh whose picture is beside it gets a billboard of the mesh's full
// width and twice its height, so that the mesh stands in its upper half.
TEST(Billboards, TakeTheFullWidthAndTwiceTheHeightOfTheMesh)
{
    testApplication();
    const fs::path directory = fs::temp_directory_path() / "qm-billboards";
    fs::create_directories(directory);
    ASSERT_TRUE(scenegen::writePng(scenegen::Image(4, 8), directory / "tree.png"));
    qm::GLResources resources;
    qm::ImportContext context;
    context.session.resources = &resources;
    context.session.assetDirectory = directory.string();

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
    fs::remove_all(directory);
    ASSERT_TRUE(chain->getLevel(3));
    EXPECT_EQ(chain->getLevel(3)->billboardSize, glm::vec2(4, 4));
}

}  // namespace
