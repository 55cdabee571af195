#include "Graphics/RenderQuality/RenderQuality.h"
#include "Resources/ResourceSystem.h"
#include "Support/GlTest.h"
#include "Support/GraphicsData.h"
#include "Support/LogCapture.h"
#include "Texture/FrameBuffer.h"
#include "Texture/Texture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <tuple>

namespace Morvane::Graphics
{
namespace
{
struct Share
{
    const char* texture;
    unsigned widthDivisor;
    unsigned heightDivisor;
};

// Every target of the shipped configuration: the world's at full size, light scattering half as wide,
// ambient occlusion and bloom half each way.
const Share kTargets[] = {
    {"Texture_Diffuse", 1, 1},
    {"Texture_NormalsInView", 1, 1},
    {"Texture_PositionsInView", 1, 1},
    {"Texture_WorldDepth", 1, 1},
    {"Texture_Lit", 1, 1},
    {"Texture_DOF", 1, 1},
    {"Texture_LightScattering_Fetch", 2, 1},
    {"Texture_LightScattering_Final", 2, 1},
    {"SSAO_OcclusionTexture", 2, 2},
    {"SSAO_OcclusionTextureBlurHorizontal", 2, 2},
    {"SSAO_OcclusionTextureBlur", 2, 2},
    {"Texture_Bloom0", 2, 2},
    {"Texture_Bloom1", 2, 2},
};

const char* const kFrameBuffers[] = {"FrameBuffer_World",
                                     "FrameBuffer_Lit",
                                     "FrameBuffer_DOF",
                                     "FrameBuffer_LightScattering_Fetch",
                                     "FrameBuffer_LightScattering_Final",
                                     "FrameBuffer_SSAO",
                                     "FrameBuffer_SSAO_BlurHorizontal",
                                     "FrameBuffer_SSAO_Blur",
                                     "FrameBuffer_Bloom0",
                                     "FrameBuffer_Bloom1"};

class RenderQualityTest : public Testing::GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        Testing::LoadOpenGLConstants();
        Testing::LoadResourcePacks({"RenderTargets.xml"});
        ASSERT_TRUE(Resources::System::GetInstance().Initialize());
    }

    void TearDown() override
    {
        Resources::System::GetInstance().Release();
        GlTest::TearDown();
    }

    static GLint Level(const Texture& texture, GLenum parameter)
    {
        GLint value = 0;
        glGetTextureLevelParameteriv(texture.GetHandle(), 0, parameter, &value);
        return value;
    }

    static void ExpectSizes(unsigned width, unsigned height)
    {
        for (const auto& [name, widthDivisor, heightDivisor] : kTargets)
        {
            const auto* texture = Resources::System::GetInstance().GetResource<Texture>(name);
            ASSERT_NE(texture, nullptr) << name;
            EXPECT_EQ(texture->GetWidth(), width / widthDivisor) << name;
            EXPECT_EQ(Level(*texture, GL_TEXTURE_WIDTH), static_cast<GLint>(width / widthDivisor)) << name;
            EXPECT_EQ(Level(*texture, GL_TEXTURE_HEIGHT), static_cast<GLint>(height / heightDivisor)) << name;
        }
    }

    static void ExpectComplete()
    {
        for (const char* name : kFrameBuffers)
        {
            const auto* frameBuffer = Resources::System::GetInstance().GetResource<FrameBuffer>(name);
            ASSERT_NE(frameBuffer, nullptr) << name;
            EXPECT_TRUE(frameBuffer->IsInitialized()) << name;
            EXPECT_EQ(glCheckNamedFramebufferStatus(frameBuffer->GetHandle(), GL_FRAMEBUFFER),
                      static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE))
                << name;
        }
    }

    const Testing::GameFolderAsLocalFolder m_localFolder;
};

// Every factor the options offer: every target at its share of that part of 1280 x 800, the frame buffers
// built again on them and complete (a frame buffer left on the old textures would draw nowhere).
TEST_F(RenderQualityTest, EachFactorResizesTheTargetsAndRebuildsTheFrameBuffers)
{
    for (const auto& [factor, width, height] :
         {std::tuple{0.25f, 320u, 200u}, std::tuple{0.5f, 640u, 400u}, std::tuple{1.5f, 1920u, 1200u},
          std::tuple{1.0f, 1280u, 800u}})
    {
        SCOPED_TRACE(factor);
        ASSERT_TRUE(ApplyRenderQuality(factor));
        ExpectSizes(width, height);
        ExpectComplete();
    }
}

TEST_F(RenderQualityTest, AnUnusableFactorChangesNothing)
{
    ASSERT_TRUE(ApplyRenderQuality(0.5f));
    for (const float factor : {0.0f, -1.0f, 100.0f, std::numeric_limits<float>::quiet_NaN()})
    {
        Testing::LogCapture capture;
        EXPECT_FALSE(ApplyRenderQuality(factor)) << factor;
        EXPECT_TRUE(capture.ContainsWrapped("Unusable render quality")) << capture.Text();
        ExpectSizes(640, 400);
        ExpectComplete();
    }
}
} // namespace
} // namespace Morvane::Graphics
