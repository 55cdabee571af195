#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/OculusGraphics/OculusGraphics.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Support/GameGraphicsTest.h"
#include "Support/GraphicsData.h"
#include "Support/ParseXml.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Texture/Texture.h"

#include <SDL.h>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
using Testing::ParseXml;

constexpr int kSide = 64;

// The committed distortion shader and screen quad, a 64 x 64 picture of varied colours, and a pass
// drawing the set "Eyes" with that shader over a 64 x 64 viewport.
class OculusGraphicsTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml"});
        Resources::System& resources = Resources::System::GetInstance();
        ASSERT_TRUE(resources.Initialize());
        for (int texel = 0; texel < kSide * kSide; ++texel)
        {
            const float x = static_cast<float>(texel % kSide) / kSide;
            const float y = static_cast<float>(texel / kSide) / kSide;
            m_texels.insert(m_texels.end(), {x, y, std::fmod(x * 7.0f + y * 3.0f, 1.0f), 1.0f});
        }
        auto picture = std::make_unique<Texture>("Texture_Picture");
        picture->SetColorData(m_texels, kSide, kSide);
        picture->SetMagFilter(GL_NEAREST);
        picture->SetMinFilter(GL_NEAREST);
        ASSERT_TRUE(picture->Initialize());
        ASSERT_TRUE(resources.AddResource(std::move(picture)));
        ASSERT_TRUE(System::GetInstance().Parse(ParseXml(R"(<GraphicsSystem>
            <Camera name="Eye" mode="Orthogonal" position="0;0;1" target="0;0;0" width="64" height="64"
                    nearPlane="0.1" farPlane="10"/>
            <Set name="Eyes"/>
            <PassConfiguration><Pass name="ConditionalPass_OculusDeformative">
                <Command type="Viewport" width="64" height="64"/>
                <Command type="ClearColorBuffer" color="1;0;1;1"/>
                <Command type="Render" set="Eyes" shader="Shader_OculusDistortion" camera="Eye"/>
            </Pass></PassConfiguration></GraphicsSystem>)")
                                                    .get()));
    }

    std::vector<float> m_texels;
};

// Without a display the distortion pass gives back its input, texel for pixel within 1/255, and every
// distortion uniform holds its neutral value.
TEST_F(OculusGraphicsTest, WithoutADisplayTheDistortionReproducesItsInput)
{
    Game::Object* eye =
        Game::System::GetInstance().CreateObject(ParseXml(R"(<Object name="LeftEye"><Transform/>
        <Graphics type="GraphicsComponent_Oculus" eye="left" renderable="Mesh_ScreenQuad" texture="Texture_Picture"
                  renderSets="Eyes"/></Object>)")
                                                     .get());
    ASSERT_NE(eye, nullptr);
    auto* oculus = dynamic_cast<OculusGraphics*>(eye->GetComponent<Component>());
    ASSERT_NE(oculus, nullptr);
    EXPECT_EQ(oculus->GetEye(), Hmd::Eye::Left);
    Resources::System& resources = Resources::System::GetInstance();
    for (int frame = 0; frame < 400 && !oculus->IsReady(); ++frame)
    {
        resources.Update(0.016f);
        SDL_Delay(5);
    }
    ASSERT_TRUE(oculus->IsReady());

    std::vector<unsigned char> pixels(static_cast<std::size_t>(kSide * kSide * 4));
    const Shader* shader = resources.GetResource<Shader>("Shader_OculusDistortion");
    ASSERT_NE(shader, nullptr);
    std::vector<float> lensCenter(2);
    std::vector<float> warp(4);
    std::vector<float> projection(16);
    System::GetInstance().SetFrameHook(
        [&]
        {
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, kSide, kSide, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            const GLuint program = shader->GetProgram();
            glGetUniformfv(program, glGetUniformLocation(program, "lensCenter"), lensCenter.data());
            glGetUniformfv(program, glGetUniformLocation(program, "warp"), warp.data());
            glGetUniformfv(program, glGetUniformLocation(program, "projection"), projection.data());
        });
    System::GetInstance().Update(0.016f);
    System::GetInstance().SetFrameHook({});

    EXPECT_EQ(lensCenter, (std::vector<float>{0.5f, 0.5f}));
    EXPECT_EQ(warp, (std::vector<float>{1.0f, 0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(projection, (std::vector<float>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    int different = 0;
    for (std::size_t channel = 0; channel < pixels.size(); ++channel)
    {
        const float expected = m_texels[channel] * 255.0f;
        different += std::abs(static_cast<float>(pixels[channel]) - expected) > 1.0f ? 1 : 0;
    }
    EXPECT_EQ(different, 0);
}

TEST_F(OculusGraphicsTest, TheEyeIsSavedAndEverythingButRightIsTheLeftEye)
{
    for (const auto& [attribute, expected] :
         {std::pair{"right", Hmd::Eye::Right}, std::pair{"left", Hmd::Eye::Left},
          std::pair{"Right", Hmd::Eye::Left}})
    {
        Game::Object* object = Game::System::GetInstance().CreateObject(
            ParseXml(
                std::string(
                    R"(<Object name="Eye"><Transform/><Graphics type="GraphicsComponent_Oculus" eye=")") +
                attribute + R"(" renderable="Mesh_ScreenQuad"/></Object>)")
                .get());
        auto* oculus =
            object != nullptr ? dynamic_cast<OculusGraphics*>(object->GetComponent<Component>()) : nullptr;
        ASSERT_NE(oculus, nullptr) << attribute;
        EXPECT_EQ(oculus->GetEye(), expected) << attribute;
        XMLParserData saved("Objects");
        ASSERT_TRUE(object->Save(&saved));
        EXPECT_NE(
            saved.ToString().find(std::string("eye=\"") + (expected == Hmd::Eye::Right ? "right" : "left")),
            std::string::npos)
            << saved.ToString();
    }
}
} // namespace
} // namespace Morvane::Graphics
