#include <gtest/gtest.h>

#include <algorithm>

#include "GraphicsResources.h"
#include "ImportContext.h"
#include "LevelOfDetailBuild.h"
#include "MeshDeformation.h"
#include "MeshLOD.h"
#include "SimplifierMeshes.h"

namespace {

// One mesh at every level of a chain, which has its box.
std::shared_ptr<qm::MeshLOD> chainOf(qm::MeshData data)
{
    const auto mesh = std::make_shared<qm::Mesh>(std::move(data.vertices), std::move(data.indices), nullptr);
    auto chain = std::make_shared<qm::MeshLOD>(mesh, mesh, mesh);
    chain->computeBoundingBox();
    return chain;
}

TEST(LevelOfDetailBuild, BuildsBothLevelsOfEachChainInItsRange)
{
    qm::ImportContext context;
    auto& chains = context.build.lodList;
    for (int i = 0; i < 12; ++i)
        chains.push_back(chainOf(qm::testmeshes::flatGrid(5, 4)));
    testing::internal::CaptureStdout();
    qm::generateLODRange(context, 9, 12);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "...\n...\nAlmost there...\n...\n");
    for (std::size_t i = 0; i < chains.size(); ++i)
        EXPECT_EQ(chains[i]->getLevel(1) != chains[i]->getLevel(0), i >= 9) << i;
}

// The whole build on its ten threads. Without pictures every billboard is
// empty, so no GL is needed and the threads can be checked on their own.
TEST(LevelOfDetailBuild, GeneratesEveryChainOnTheWorkers)
{
    qm::NoGraphics noGraphics;
    qm::ImportContext r;
    r.session.resources = &noGraphics;
    r.session.assetDirectory = "/nonexistent";
    for (int i = 0; i < 25; ++i)
        r.build.meshLODs.emplace("mesh" + std::to_string(i), chainOf(qm::testmeshes::flatGrid(6, 5)));
    testing::internal::CaptureStdout();
    qm::generateLODs(r);
    const std::string progress = testing::internal::GetCapturedStdout();

    EXPECT_EQ(std::count(progress.begin(), progress.end(), '\n'), 26);  // a line a chain, and "Almost there..."
    ASSERT_EQ(r.build.lodList.size(), 25u);
    for (const auto& chain : r.build.lodList) {
        EXPECT_EQ(chain->getLevel(1)->getVertices().size(), 18u);  // 30 * 0.6
        EXPECT_EQ(chain->getLevel(2)->getVertices().size(), 7u);   // 18 * 0.4
        EXPECT_EQ(chain->getLevel(3), nullptr);
    }
}

TEST(LevelOfDetailBuild, AMeshTooCostlyToSimplifyKeepsItsFullDetail)
{
    qm::NoGraphics noGraphics;
    qm::ImportContext r;
    r.session.resources = &noGraphics;
    r.session.assetDirectory = "/nonexistent";
    const auto chain = chainOf(qm::testmeshes::cone(40000));
    const std::shared_ptr<qm::Mesh> mesh = chain->levels[0];
    r.build.meshLODs.emplace("hub", chain);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    qm::generateLODs(r);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Keeping the mesh \"hub\" at full detail: simplifying it would take too long.\n");
    EXPECT_EQ(chain->getLevel(1), mesh);
    EXPECT_EQ(chain->getLevel(2), mesh);
}

// A deforming mesh's levels keep its vertices, which its bones and morph
// targets are numbered by, with either simplifier; the scene cache keeps
// them as index lists and gives them back with the deformation.
TEST(LevelOfDetailBuild, DeformingMeshesKeepTheirVertices)
{
    for (const qm::LodMethod method : {qm::LodMethod::Builtin, qm::LodMethod::KeepBorders}) {
        qm::ImportContext r;
        r.build.policy.lod = method;
        r.build.policy.progressMarks = false;
        const auto chain = chainOf(qm::testmeshes::flatGrid(8, 8));
        const std::shared_ptr<qm::Mesh> mesh = chain->levels[0];
        auto deformation = std::make_shared<qm::MeshDeformation>();
        deformation->vertexCount = std::uint32_t(mesh->getVertices().size());
        deformation->morphTargets = 1;
        deformation->morphDeltas.assign(2 * mesh->getVertices().size(), glm::vec3(0.0f, 1.0f, 0.0f));
        mesh->deformation = deformation;
        r.build.meshLODs.emplace("grid", chain);
        r.build.lodList.push_back(chain);
        chain->name = "grid";
        testing::internal::CaptureStdout();
        qm::buildLevels(r);
        for (int level = 1; level <= 2; ++level) {
            const std::shared_ptr<qm::Mesh>& simplified = chain->levels[std::size_t(level)];
            ASSERT_NE(simplified, mesh) << level;
            EXPECT_LT(simplified->getIndices().size(), mesh->getIndices().size()) << level;
            EXPECT_TRUE(simplified->getVertices().empty()) << level << ": it reads the original's";
            EXPECT_LT(*std::max_element(simplified->getIndices().begin(), simplified->getIndices().end()),
                      mesh->getVertices().size())
                << level;
            EXPECT_EQ(simplified->deformation, deformation) << level;
        }
        const std::string kept = qm::encodeLevels(r);
        const std::vector<std::uint32_t> indices2 = chain->levels[2]->getIndices();
        chain->levels[1] = chain->levels[2] = mesh;
        ASSERT_TRUE(qm::takeLevels(r, std::span(reinterpret_cast<const std::uint8_t*>(kept.data()), kept.size())));
        EXPECT_EQ(chain->levels[2]->getIndices(), indices2);
        EXPECT_TRUE(chain->levels[2]->getVertices().empty());
        EXPECT_EQ(chain->levels[2]->deformation, deformation);
        // Kept for a rigid mesh of that name, the index lists are refused.
        mesh->deformation = nullptr;
        EXPECT_FALSE(qm::takeLevels(r, std::span(reinterpret_cast<const std::uint8_t*>(kept.data()), kept.size())));
        testing::internal::GetCapturedStdout();
    }
}

}  // namespace
