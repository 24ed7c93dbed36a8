#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "Environment.h"
#include "GLRenderer.h"
#include "PassState.h"
#include "GpuMesh.h"
#include "Mesh.h"
#include "Models.h"
#include "PointLight.h"
#include "Scene.h"
#include "Skybox.h"
#include "TextureLoading.h"
#include "TestApplication.h"

namespace {

using qm::FramebufferHandler;

GLint integer(GLenum what)
{
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

// Complete, in float formats that keep the HDR values above 1; every object goes with the handler.
TEST(Framebuffers, AreCompleteInHdrFormatsAndReleaseEveryObject)
{
    testApplication();
    testing::internal::CaptureStderr();
    std::optional<FramebufferHandler> framebuffers(std::in_place, 64, 36);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    const GLuint fbos[] = {framebuffers->gBufferFbo, framebuffers->depthCopyFbo};
    for (GLuint fbo : fbos) {
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    }
    const auto internalFormat = [](GLuint texture) {
        glBindTexture(GL_TEXTURE_2D, texture);
        GLint format = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        return format;
    };
    // The lit and tone-mapped images keep the blended surfaces' coverage in alpha.
    for (std::size_t target = 0; target < framebuffers->colorTextures.size(); ++target)
        EXPECT_EQ(internalFormat(framebuffers->colorTextures[target]),
                  target == FramebufferHandler::Surface                                            ? GL_RGBA8
                  : target == FramebufferHandler::Lit || target == FramebufferHandler::toneMapped ? GL_RGBA16F
                                                                                                  : GL_RGB16F);
    EXPECT_EQ(internalFormat(framebuffers->depthStencilTexture), GL_DEPTH32F_STENCIL8);
    EXPECT_EQ(internalFormat(framebuffers->depthCopyTexture), GL_DEPTH32F_STENCIL8);

    std::vector<GLuint> textures(framebuffers->colorTextures.begin(), framebuffers->colorTextures.end());
    textures.insert(textures.end(), {framebuffers->depthStencilTexture, framebuffers->depthCopyTexture});
    framebuffers.reset();
    for (GLuint name : fbos)
        EXPECT_EQ(glIsFramebuffer(name), GL_FALSE) << name;
    for (GLuint name : textures)
        EXPECT_EQ(glIsTexture(name), GL_FALSE) << name;
}

// Each blur chain reads what the pass before it wrote, alternates its axis,
// passes its image from step to step and leaves it where the next pass reads.
TEST(Framebuffers, BlurChainsHandTheirImageOn)
{
    using F = FramebufferHandler;
    const struct {
        const char* name;
        std::span<const F::BlurStep> steps;
        F::Target from, to;
    } chains[] = {{"bloom", F::bloomBlurs, F::bloomFirst, F::bloomFirst},
                  {"focus", F::focusBlurs, F::toneMapped, F::blurred}};
    for (const auto& chain : chains) {
        FramebufferHandler::Target image = chain.from;
        for (std::size_t i = 0; i < chain.steps.size(); ++i) {
            EXPECT_EQ(chain.steps[i].source, image) << chain.name << i;
            EXPECT_NE(chain.steps[i].target, image) << chain.name << i;
            EXPECT_EQ(chain.steps[i].horizontal, i % 2 == 1) << chain.name << i;
            image = chain.steps[i].target;
        }
        EXPECT_EQ(image, chain.to) << chain.name;
        EXPECT_EQ(chain.steps.size() % 2, 0u) << chain.name << ": as often along each axis";
    }
}

// A renderer at a small size over an empty scene with the generated sky.
class Rendering : public testing::Test {
protected:
    void SetUp() override
    {
        testApplication();
        scene = std::make_shared<qm::Scene>();
        scene->setSkybox(
            qm::makeSkybox(qm::loadCubeFaces("QM/cubemap", "loadsa_colors_", std::cerr), qm::loadShader("QM/cubemap")));
        scene->buildOctree();
        renderer = std::make_unique<qm::GLRenderer>(64, 36);
        renderer->setScene(scene);
    }

    std::shared_ptr<qm::Scene> scene;
    std::unique_ptr<qm::GLRenderer> renderer;
};

TEST_F(Rendering, FrameStateReturnsToItsStartEveryFrame)
{
    testing::internal::CaptureStderr();
    for (int frame = 0; frame < 2; ++frame) {
        renderer->render();
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_FALSE);
        EXPECT_EQ(glIsEnabled(GL_BLEND), GL_FALSE);
        EXPECT_EQ(glIsEnabled(GL_STENCIL_TEST), GL_FALSE);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "every uniform the renderer sets is used";
}

// A pass's state is whole whatever the pass before it left: every preset,
// applied over two opposite states, reads back the same.
TEST_F(Rendering, PassStatesAreWholeWhateverCameBefore)
{
    using qm::PassState;
    const PassState presets[] = {PassState::geometry(),     PassState::geometryBothSides(),
                                 PassState::lightStencil(), PassState::lightVolume(true),
                                 PassState::lightVolume(false), PassState::fullScreenAdd(),
                                 PassState::fullScreen(),   PassState::blended(true),
                                 PassState::blended(false), PassState::sky(),
                                 PassState::guides()};
    const PassState before[] = {
        {true, true, GL_GREATER, PassState::Stencil::WhereMarked, PassState::Blend::Over, GL_FRONT},
        {false, false, GL_ALWAYS, PassState::Stencil::Off, PassState::Blend::None, GL_NONE}};
    for (const PassState& preset : presets) {
        for (const PassState& start : before) {
            qm::applyPassState(start);
            qm::applyPassState(preset);
            EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST) != 0, preset.depthTest);
            GLboolean depthWrite = GL_FALSE;
            glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrite);
            EXPECT_EQ(depthWrite != 0, preset.depthWrite);
            EXPECT_EQ(GLenum(integer(GL_DEPTH_FUNC)), preset.depthFunction);
            EXPECT_EQ(glIsEnabled(GL_STENCIL_TEST) != 0, preset.stencil != PassState::Stencil::Off);
            if (preset.stencil == PassState::Stencil::MarkInside) {
                EXPECT_EQ(GLenum(integer(GL_STENCIL_FUNC)), GLenum(GL_ALWAYS));
                EXPECT_EQ(GLenum(integer(GL_STENCIL_BACK_PASS_DEPTH_FAIL)), GLenum(GL_INCR_WRAP));
                EXPECT_EQ(GLenum(integer(GL_STENCIL_PASS_DEPTH_FAIL)), GLenum(GL_DECR_WRAP));
            }
            if (preset.stencil == PassState::Stencil::WhereMarked) {
                EXPECT_EQ(GLenum(integer(GL_STENCIL_FUNC)), GLenum(GL_NOTEQUAL));
            }
            EXPECT_EQ(glIsEnabled(GL_BLEND) != 0, preset.blend != PassState::Blend::None);
            if (preset.blend == PassState::Blend::Over) {
                EXPECT_EQ(integer(GL_BLEND_SRC_RGB), GL_SRC_ALPHA);
                EXPECT_EQ(integer(GL_BLEND_SRC_ALPHA), GL_ONE) << "alpha gathers the coverage";
            }
            if (preset.blend == PassState::Blend::Under) {
                EXPECT_EQ(integer(GL_BLEND_SRC_RGB), GL_ONE_MINUS_DST_ALPHA);
                EXPECT_EQ(integer(GL_BLEND_DST_ALPHA), GL_ONE) << "the coverage stays";
            }
            if (preset.blend == PassState::Blend::Add) {
                EXPECT_EQ(integer(GL_BLEND_SRC_RGB), GL_ONE);
            }
            EXPECT_EQ(glIsEnabled(GL_CULL_FACE) != 0, preset.cull != GL_NONE);
            if (preset.cull != GL_NONE) {
                EXPECT_EQ(GLenum(integer(GL_CULL_FACE_MODE)), preset.cull);
            }
        }
    }
    qm::applyPassState(PassState::fullScreen());
}

TEST(Focus, NearlyEqualDepthsPullTheFocusOneUnitIn)
{
    EXPECT_EQ(qm::effectiveFocusDepth(74.9995f, 75.0f), 74.0f);
    EXPECT_EQ(qm::effectiveFocusDepth(74.99f, 75.0f), 74.99f);
    EXPECT_EQ(qm::effectiveFocusDepth(80.0f, 75.0f), 74.0f);
    EXPECT_EQ(qm::effectiveFocusDepth(20.0f, 75.0f), 20.0f);
}

// Which light positions go through the stencil technique and which are
// drawn instanced: counted by wrapping the two GL entry points involved.
struct DrawLog {
    int stencilPasses = 0;
    std::vector<std::pair<GLint, GLsizei>> instanced;  // vertex array, instance count
};
DrawLog* drawLog = nullptr;
PFNGLSTENCILOPSEPARATEPROC realStencilOpSeparate = nullptr;
PFNGLDRAWELEMENTSINSTANCEDPROC realDrawElementsInstanced = nullptr;

void GLAPIENTRY countStencilOp(GLenum face, GLenum fail, GLenum depthFail, GLenum pass)
{
    drawLog->stencilPasses += face == GL_BACK;
    realStencilOpSeparate(face, fail, depthFail, pass);
}

void GLAPIENTRY countInstanced(GLenum mode, GLsizei count, GLenum type, const void* indices, GLsizei instances)
{
    drawLog->instanced.emplace_back(integer(GL_VERTEX_ARRAY_BINDING), instances);
    realDrawElementsInstanced(mode, count, type, indices, instances);
}

TEST_F(Rendering, NearestTwentyPositionsAreStenciledTheRestInstanced)
{
    auto sphereMaterial = std::make_shared<qm::Material>();
    sphereMaterial->shader = qm::loadShader("QM/lightSphere");
    const scenegen::GenMesh sphere = scenegen::models::lightSphere();
    std::vector<qm::Vertex> vertices;
    for (std::size_t i = 0; i < sphere.positions.size(); ++i)
        vertices.push_back({sphere.positions[i], sphere.normals[i], sphere.uvs[i]});
    const qm::Mesh sphereMesh(vertices, sphere.indices, sphereMaterial);

    realStencilOpSeparate = std::exchange(__glewStencilOpSeparate, countStencilOp);
    realDrawElementsInstanced = std::exchange(__glewDrawElementsInstanced, countInstanced);
    const struct {
        std::vector<std::size_t> positionsPerLight;
        int stenciled;
        std::vector<std::pair<std::size_t, GLsizei>> instanced;  // light, instance count
    } cases[] = {
        {{25}, 20, {{0, 5}}},
        {{15, 15}, 20, {{1, 10}}},  // the count goes on across lights
        {{7, 6}, 13, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.positionsPerLight));
        std::vector<std::shared_ptr<qm::PointLight>> lights;
        qm::DrawList frame;
        for (std::size_t count : c.positionsPerLight) {
            auto light = std::make_shared<qm::PointLight>(qm::PointLight::withParametersFor("Point.1"));
            light->radius = light->volumeRadius();
            light->setVolumeMesh(sphereMesh);
            light->volume = std::make_shared<qm::GpuMesh>(qm::uploadLightVolume(*light->volumeMesh));
            lights.push_back(light);
            frame.lights.push_back({light.get(), std::vector<qm::LightPlacement>(count, {glm::vec3(0, 0, -10)})});
        }
        DrawLog log;
        drawLog = &log;
        renderer->lightingPass(frame);
        EXPECT_EQ(log.stencilPasses, c.stenciled);
        std::vector<std::pair<std::size_t, GLsizei>> instanced;
        for (const auto& [vertexArray, instances] : log.instanced) {
            const auto drawn = [&](const auto& light) { return GLint(light->volume->vertexArray) == vertexArray; };
            const auto light = std::find_if(lights.begin(), lights.end(), drawn);
            instanced.emplace_back(std::size_t(light - lights.begin()), instances);
        }
        EXPECT_EQ(instanced, c.instanced);
    }
    __glewStencilOpSeparate = realStencilOpSeparate;
    __glewDrawElementsInstanced = realDrawElementsInstanced;
    drawLog = nullptr;
}

// The tone mapping of a flat HDR image (the lit image at 0.2, no bloom) at a given exposure.
float toneMapped(qm::PostProcessing& post, const FramebufferHandler& framebuffers, float exposure)
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffers.gBufferFbo);
    for (const auto& [attachment, value] : {std::pair{3, 0.2f}, std::pair{0, 0.0f}}) {
        glDrawBuffer(GL_COLOR_ATTACHMENT0 + GLenum(attachment));
        glClearColor(value, value, value, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glClearColor(0, 0, 0, 1);
    glDrawBuffer(GL_COLOR_ATTACHMENT2);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, framebuffers.colorTextures[3]);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, framebuffers.colorTextures[0]);
    post.mergeHdr(exposure);
    glReadBuffer(GL_COLOR_ATTACHMENT2);
    float pixel[3] = {};
    glReadPixels(4, 4, 1, 1, GL_RGB, GL_FLOAT, pixel);
    return pixel[1];
}

TEST(PostProcessingPrograms, ExposureKeysVisiblyChangeTheImage)
{
    testApplication();
    FramebufferHandler framebuffers(16, 16);
    qm::PostProcessing post;
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);

    // Ten presses of 1 or 2 move the exposure by 1.0.
    const float darker = toneMapped(post, framebuffers, 2.0f);
    const float normal = toneMapped(post, framebuffers, 3.0f);
    const float brighter = toneMapped(post, framebuffers, 4.0f);
    EXPECT_GT(normal - darker, 0.03f);
    EXPECT_GT(brighter - normal, 0.03f);
    EXPECT_EQ(toneMapped(post, framebuffers, -1.0f), 0.0f) << "a negative exposure is black, not garbage";

    // What the focus does to a picture is the near-focus reference view's test.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// The environment's cube holds its whole box-filtered chain, each level the
// mean of 2 x 2 texels of the one above, down to one texel.
TEST(Environment, CubeHoldsTheBoxFilteredChain)
{
    testApplication();
    qm::EnvironmentImage image;
    image.size = 4;
    for (int face = 0; face < 6; ++face)
        for (int texel = 0; texel < 16; ++texel)
            image.faces[std::size_t(face)].push_back(glm::vec3(float(face), float(texel), 1.0f));
    const std::shared_ptr<qm::Environment> environment = qm::makeEnvironment(image);
    glBindTexture(GL_TEXTURE_CUBE_MAP, environment->cube);
    const auto level = [](int face, int lod, int size) {
        std::vector<glm::vec3> texels(std::size_t(size * size));
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + GLenum(face), lod, GL_RGB, GL_FLOAT, texels.data());
        return texels;
    };
    // Texel rows of 4: the first 2 x 2 block is texels 0, 1, 4 and 5.
    EXPECT_EQ(level(2, 1, 2), (std::vector<glm::vec3>{{2.0f, 2.5f, 1.0f}, {2.0f, 4.5f, 1.0f}, {2.0f, 10.5f, 1.0f},
                                                      {2.0f, 12.5f, 1.0f}}));
    EXPECT_EQ(level(5, 2, 1), (std::vector<glm::vec3>{{5.0f, 7.5f, 1.0f}}));
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
