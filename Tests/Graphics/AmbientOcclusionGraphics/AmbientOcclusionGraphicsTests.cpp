#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Graphics/AmbientOcclusionGraphics/AmbientOcclusionGraphics.h"
#include "Graphics/GraphicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Support/GBufferData.h"
#include "Support/GameGraphicsTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Texture/Texture.h"

#include <cmath>
#include <cstdlib>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
using Testing::ContainsWrapped;
using Testing::ParseXml;

const char* const kAttributes = R"(deferredNormals="Texture_NormalsInView"
    deferredPositions="Texture_PositionsInView" sourceCamera="Camera_World")";

// The game's G-buffer at 160 x 100 and its world camera; objects named "PostAO" by default.
class AmbientOcclusionGraphicsTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml"});
        Resources::System& resources = Resources::System::GetInstance();
        ASSERT_TRUE(resources.Parse(ParseXml(Testing::kSmallGBuffer).get()));
        ASSERT_TRUE(resources.Initialize());
        ASSERT_TRUE(System::GetInstance().Parse(ParseXml(R"(<GraphicsSystem>
            <Camera name="Camera_World" position="0;0;8" target="0;0;0" width="160" height="100" fov="60"
                    nearPlane="0.1" farPlane="100"/></GraphicsSystem>)")
                                                    .get()));
    }

    static AmbientOcclusionGraphics* Create(const std::string& attributes, const std::string& name = "PostAO")
    {
        return dynamic_cast<AmbientOcclusionGraphics*>(AddObject(
            "<Object name=\"" + name + R"("><Transform/><Graphics type="GraphicsComponent_AmbientOcclusion"
                renderable="Mesh_ScreenQuad" )" +
            attributes + "/></Object>"));
    }

    static std::vector<float> Texels(const Texture& texture)
    {
        std::vector<float> texels(static_cast<std::size_t>(texture.GetWidth() * texture.GetHeight() * 4));
        glGetTextureImage(texture.GetHandle(), 0, GL_RGBA, GL_FLOAT,
                          static_cast<GLsizei>(texels.size() * sizeof(float)), texels.data());
        return texels;
    }
};

// Sixteen samples in the hemisphere above the surface, growing from 0.1 to 0.1 + 0.9 (15/16)² so that
// most of them lie near the fragment; the C generator's state does not change them.
TEST_F(AmbientOcclusionGraphicsTest, TheKernelFillsTheUpperHemisphereDenserNearTheMiddle)
{
    std::srand(1);
    const AmbientOcclusionGraphics* first = Create(kAttributes);
    ASSERT_NE(first, nullptr);
    const std::vector<glm::vec3> kernel = first->GetKernel();
    ASSERT_EQ(kernel.size(), 16u);
    EXPECT_NEAR(glm::length(kernel.front()), 0.1f, 1e-6f);
    EXPECT_NEAR(glm::length(kernel.back()), 0.1f + 0.9f * (15.0f / 16.0f) * (15.0f / 16.0f), 1e-6f);
    for (std::size_t index = 0; index < kernel.size(); ++index)
    {
        const glm::vec3& sample = kernel[index];
        EXPECT_TRUE(std::isfinite(sample.x) && std::isfinite(sample.y) && std::isfinite(sample.z)) << index;
        EXPECT_GE(sample.z, 0.0f) << index;
        EXPECT_LE(glm::length(sample), 1.0f) << index;
        EXPECT_GE(sample.x, -1.0f);
        EXPECT_LE(sample.x, 1.0f);
    }
    for (int draw = 0; draw < 17; ++draw)
    {
        static_cast<void>(std::rand());
    }
    const AmbientOcclusionGraphics* second = Create(kAttributes, "OtherAO");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetKernel(), kernel);
    EXPECT_EQ(first->GetScaleFactor(), 2.0f);
}

// The noise is the resource "<owner>_SSAO_NoiseTexture": 8 x 8 unit vectors in the surface's plane,
// repeating over the screen. Parsing again makes it anew under the same name; destroying the object
// removes it.
TEST_F(AmbientOcclusionGraphicsTest, TheNoiseTextureIsAResourceOfItsOwnerReplacedByAParseAndRemovedWithIt)
{
    AmbientOcclusionGraphics* occlusion = Create(kAttributes);
    ASSERT_NE(occlusion, nullptr);
    Resources::System& resources = Resources::System::GetInstance();
    auto* noise = resources.GetResource<Texture>("PostAO_SSAO_NoiseTexture");
    ASSERT_NE(noise, nullptr);
    EXPECT_EQ(noise, occlusion->GetNoiseTexture());
    EXPECT_EQ(noise->GetWidth(), 8u);
    EXPECT_EQ(noise->GetHeight(), 8u);
    EXPECT_EQ(noise->GetInternalFormat(), static_cast<GLenum>(GL_RGBA32F));
    EXPECT_EQ(noise->GetWrapMode(), static_cast<GLenum>(GL_REPEAT));
    const std::vector<float> texels = Texels(*noise);
    for (std::size_t texel = 0; texel < 64; ++texel)
    {
        const glm::vec3 direction(texels[texel * 4], texels[texel * 4 + 1], texels[texel * 4 + 2]);
        EXPECT_NEAR(glm::length(direction), 1.0f, 1e-5f) << texel;
        EXPECT_EQ(direction.z, 0.0f) << texel;
    }

    const auto description = ParseXml(
        std::string(R"(<Graphics type="GraphicsComponent_AmbientOcclusion" renderable="Mesh_ScreenQuad" )") +
        kAttributes + " scaleFactor=\"0.5\"/>");
    ASSERT_TRUE(occlusion->Parse(description.get()));
    EXPECT_EQ(occlusion->GetScaleFactor(), 0.5f);
    auto* again = resources.GetResource<Texture>("PostAO_SSAO_NoiseTexture");
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again, occlusion->GetNoiseTexture());
    EXPECT_TRUE(again->IsInitialized());
    EXPECT_EQ(Texels(*again), texels);

    Game::System& game = Game::System::GetInstance();
    game.MarkForDeletion(game.GetObject("PostAO"));
    game.Update(0.016f);
    EXPECT_FALSE(resources.HasResource("PostAO_SSAO_NoiseTexture"));
}

// The shader gets the kernel, its size, the noise tiled once per 8 x 8 texels of the positions target
// and the source camera's projection.
TEST_F(AmbientOcclusionGraphicsTest, TheShaderGetsTheKernelAndANoiseScaleFromThePositionsTarget)
{
    AmbientOcclusionGraphics* occlusion = Create(kAttributes);
    ASSERT_NE(occlusion, nullptr);
    auto* shader = Resources::System::GetInstance().GetResource<Shader>("Shader_AmbientOcclusion");
    ASSERT_NE(shader, nullptr);
    const GLuint program = shader->GetProgram();
    glUseProgram(program);
    Camera* camera = System::GetInstance().GetCamera("Camera_World");
    occlusion->SetUniforms(shader, camera);
    GLfloat scale[2] = {};
    glGetUniformfv(program, glGetUniformLocation(program, "noiseScale"), scale);
    EXPECT_EQ(scale[0], 20.0f);
    EXPECT_EQ(scale[1], 12.5f);
    GLint size = 0;
    glGetUniformiv(program, glGetUniformLocation(program, "kernelSize"), &size);
    EXPECT_EQ(size, 16);
    GLfloat last[3] = {};
    glGetUniformfv(program, glGetUniformLocation(program, "kernel[15]"), last);
    EXPECT_EQ(glm::vec3(last[0], last[1], last[2]), occlusion->GetKernel().back());
    GLfloat projection[16] = {};
    glGetUniformfv(program, glGetUniformLocation(program, "projection"), projection);
    EXPECT_EQ(projection[0], camera->GetProjection()[0][0]);
    EXPECT_EQ(projection[11], -1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A clone has noise of its own, equal to its maker's, which outlives the maker.
TEST_F(AmbientOcclusionGraphicsTest, ACloneKeepsItsOwnNoiseWhenTheMakerIsGone)
{
    AmbientOcclusionGraphics* maker = Create(kAttributes);
    AmbientOcclusionGraphics* copy = Create(kAttributes, "CopyAO");
    ASSERT_NE(maker, nullptr);
    ASSERT_NE(copy, nullptr);
    maker->Clone(copy);
    ASSERT_NE(copy->GetNoiseTexture(), nullptr);
    EXPECT_NE(copy->GetNoiseTexture(), maker->GetNoiseTexture());
    EXPECT_EQ(copy->GetKernel(), maker->GetKernel());
    const std::vector<float> noise = Texels(*maker->GetNoiseTexture());
    Game::System& game = Game::System::GetInstance();
    game.MarkForDeletion(game.GetObject("PostAO"));
    game.Update(0.016f);
    auto* kept = Resources::System::GetInstance().GetResource<Texture>("CopyAO_SSAO_NoiseTexture");
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept, copy->GetNoiseTexture());
    EXPECT_EQ(Texels(*kept), noise);
}

TEST_F(AmbientOcclusionGraphicsTest, MissingTexturesAndCamerasFailTheParseWithTheirMessages)
{
    struct Case
    {
        const char* attributes;
        const char* message;
    };
    for (const Case& bad :
         {Case{R"(deferredPositions="Texture_PositionsInView" sourceCamera="Camera_World")",
               "Could not get normals texture"},
          Case{R"(deferredNormals="Texture_NormalsInView" sourceCamera="Camera_World")",
               "Could not get positions texture"},
          Case{R"(deferredNormals="Texture_NormalsInView" deferredPositions="Texture_PositionsInView"
               sourceCamera="Camera_Nowhere")",
               "Could not get source camera 'Camera_Nowhere'"}})
    {
        Testing::LogCapture capture;
        EXPECT_EQ(Create(bad.attributes, "BadAO"), nullptr) << bad.message;
        EXPECT_TRUE(ContainsWrapped(capture.Text(), bad.message)) << capture.Text();
        EXPECT_TRUE(ContainsWrapped(capture.Text(), "/AmbientOcclusionGraphics")) << capture.Text();
        EXPECT_FALSE(Resources::System::GetInstance().HasResource("BadAO_SSAO_NoiseTexture"));
    }
}
} // namespace
} // namespace Morvane::Graphics
