#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Font/Font.h"
#include "Font/TextLayout.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/TextGraphics/TextGraphics.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Resources/ResourceSystem.h"
#include "Support/GlTest.h"
#include "Support/GraphicsData.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Texture/Texture.h"

#include <SDL.h>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
using Testing::ContainsWrapped;
using Testing::LogCapture;
using Testing::ParseXml;

constexpr int kWidth = 320;
constexpr int kHeight = 200;

// The committed graphics configuration, meshes, shaders and fonts, in a 320 x 200 window.
class TextGraphicsTest : public Testing::GlTest
{
protected:
    void SetUp() override
    {
        System::GetInstance().m_customUniformIdentifier = &IdentifyCustomPurpose;
        GlTest::SetUp();
        System::GetInstance().m_customComponentFactory = &CreateCustomGraphicsComponent;
        Testing::LoadOpenGLConstants();
        const std::string data = Testing::DataFolder();
        PathWrapper::GetInstance().AddPath("ConfigurationFolder", data + "Configuration/");
        Resources::System& resources = Resources::System::GetInstance();
        Testing::LoadResourcePacks(
            {"Meshes.xml", "Shaders.xml", "Fonts.xml", "Textures.xml", "RenderTargets.xml"});
        ASSERT_TRUE(resources.Initialize());
        ASSERT_TRUE(System::GetInstance().Parse(
            ParseXml(R"(<GraphicsSystem path="$(ConfigurationFolder)Graphics.xml"/>)").get()));
        System::GetInstance().OnResize(kWidth, kHeight);
    }

    void TearDown() override
    {
        Game::System::GetInstance().Release();
        System::GetInstance().m_customComponentFactory = nullptr;
        GlTest::TearDown();
        System::GetInstance().m_customUniformIdentifier = nullptr;
    }

    // The object of `xml` ("Object" element); null when it cannot be made.
    static Game::Object* Create(const std::string& xml)
    {
        return Game::System::GetInstance().CreateObject(ParseXml(xml).get());
    }

    static TextGraphics* TextOf(Game::Object* object)
    {
        return object != nullptr ? dynamic_cast<TextGraphics*>(object->GetComponent<Component>()) : nullptr;
    }

    // Steps the load thread until every component can draw and every font is loaded.
    static void WaitForResources()
    {
        System& graphics = System::GetInstance();
        Resources::System& resources = Resources::System::GetInstance();
        for (int frame = 0; frame < 500 && resources.GetLoadingCount() > 0; ++frame)
        {
            resources.Update(0.016f);
            SDL_Delay(5);
        }
        for (int frame = 0; frame < 10; ++frame)
        {
            resources.Update(0.016f);
        }
        ASSERT_TRUE(
            std::ranges::all_of(graphics.GetComponents(), [](const Component* c) { return c->IsReady(); }));
    }

    // One frame of the passes; returns the window's pixels, bottom row first.
    static std::vector<glm::u8vec4> Frame()
    {
        Game::System::GetInstance().Update(0.016f);
        std::vector<glm::u8vec4> pixels(static_cast<std::size_t>(kWidth * kHeight));
        System::GetInstance().SetFrameHook(
            [&]
            {
                glPixelStorei(GL_PACK_ALIGNMENT, 1);
                glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            });
        System::GetInstance().Update(0.016f);
        System::GetInstance().SetFrameHook({});
        return pixels;
    }

    const Testing::GameFolderAsLocalFolder m_localFolder;

    static std::vector<float> TexelsOf(const Texture& texture)
    {
        std::vector<float> texels(static_cast<std::size_t>(texture.GetWidth() * texture.GetHeight() * 4));
        glGetTextureImage(texture.GetHandle(), 0, GL_RGBA, GL_FLOAT,
                          static_cast<GLsizei>(texels.size() * sizeof(float)), texels.data());
        return texels;
    }
};

const char* const kHello = R"(<Object name="Caption"><Transform position="0;40;0" scale="128;32;1"/>
    <Graphics type="GraphicsComponent_Text" renderable="Mesh_ScreenQuad" font="Font_Sans" fontCamera="Camera_GUI"
              textureSize="256;64" fontSize="48" caption="Hello" foreColor="1;1;1;1" renderSets="GUI"/></Object>)";

// "Hello" is rendered once into "Caption_text" (white ink, its width the layout's), and the caption and
// a quad drawn after it in the same pass both reach the window where their transforms put them.
TEST_F(TextGraphicsTest, ACaptionRendersOnceIntoItsTextureAndTheNextDrawLandsInTheWindow)
{
    TextGraphics* text = TextOf(Create(kHello));
    ASSERT_NE(text, nullptr);
    ASSERT_NE(Create(R"(<Object name="Marker"><Transform position="0;-60;0" scale="20;10;1"/>
        <Graphics renderable="Mesh_ScreenQuad" texture="Texture_White" diffuseColor="1;0;0;1" renderSets="GUI"/></Object>)"),
              nullptr);
    WaitForResources();
    const std::vector<glm::u8vec4> frame = Frame();
    EXPECT_EQ(text->GetRenderCount(), 1);
    ASSERT_NE(text->GetRenderTexture(), nullptr);
    EXPECT_EQ(text->GetRenderTexture()->GetName(), "Caption_text");
    EXPECT_TRUE(Resources::System::GetInstance().HasResource("Caption_text"));

    // The inked columns of the texture span what the layout placed, within a pixel.
    const Texture& texture = *text->GetRenderTexture();
    const std::vector<float> texels = TexelsOf(texture);
    int left = 256;
    int right = -1;
    float brightest = 0.0f;
    for (int y = 0; y < 64; ++y)
    {
        for (int x = 0; x < 256; ++x)
        {
            const float* texel = &texels[static_cast<std::size_t>((y * 256 + x) * 4)];
            if (texel[3] > 0.25f)
            {
                left = std::min(left, x);
                right = std::max(right, x);
                brightest = std::max(brightest, texel[0]);
                EXPECT_NEAR(texel[0], texel[3], 0.02f) << "white ink, premultiplied";
            }
        }
    }
    const Font& font = *Resources::System::GetInstance().GetResource<Font>("Font_Sans");
    TextLayout layout(font.GetMetrics(), font.GetCharacters());
    layout.Build("Hello", 48.0f, "Test");
    ASSERT_EQ(layout.GetQuads().size(), 5u);
    EXPECT_NEAR(left, layout.GetQuads().front().topLeft.x, 1.5f);
    EXPECT_NEAR(right + 1, layout.GetQuads().back().bottomRight.x, 1.5f);
    EXPECT_GT(brightest, 0.95f);

    // The caption's quad is 256 x 64 pixels centred 40 above the window's middle; the marker's, red,
    // 60 below it.
    const auto at = [&frame](int x, int y) { return frame[static_cast<std::size_t>(y * kWidth + x)]; };
    int inked = 0;
    for (int y = 100 + 40 - 32; y < 100 + 40 + 32; ++y)
    {
        for (int x = 160 - 128; x < 160 + 128; ++x)
        {
            const glm::u8vec4 pixel = at(x, y);
            inked += pixel.r > 240 && pixel.g > 240 && pixel.b > 240 ? 1 : 0;
        }
    }
    EXPECT_GT(inked, 300);
    EXPECT_TRUE(Testing::NearColour(at(160, 40), {255, 0, 0, 255}, 3));
}

TEST_F(TextGraphicsTest, OnlyAChangeRendersTheCaptionAgain)
{
    TextGraphics* text = TextOf(Create(kHello));
    ASSERT_NE(text, nullptr);
    WaitForResources();
    Frame();
    Frame();
    EXPECT_EQ(text->GetRenderCount(), 1);
    text->SetCaption("Hello");
    text->SetFontSize(48.0f);
    text->SetForeColor(glm::vec4(1.0f));
    Frame();
    EXPECT_EQ(text->GetRenderCount(), 1);
    text->SetCaption("World");
    Frame();
    EXPECT_EQ(text->GetRenderCount(), 2);
    text->SetForeColor({1.0f, 0.5f, 0.0f, 1.0f});
    text->SetBackColor({0.0f, 0.0f, 0.0f, 0.5f});
    Frame();
    EXPECT_EQ(text->GetRenderCount(), 3);
    // Half-transparent black shows premultiplied where there is no ink.
    const std::vector<float> texels = TexelsOf(*text->GetRenderTexture());
    EXPECT_NEAR(texels[3], 0.5f, 0.01f);
    EXPECT_NEAR(texels[0], 0.0f, 0.01f);
}

TEST_F(TextGraphicsTest, MissingFontsCamerasAndUnusableSizesFailTheComponent)
{
    const std::pair<std::string, std::string> cases[] = {
        {R"(font="Font_None" fontCamera="Camera_GUI")", "Tried to use text without valid font 'Font_None'"},
        {R"(font="Font_Sans" fontCamera="Camera_None")", "Camera 'Camera_None' does not exists"},
        {R"(font="Font_Sans" fontCamera="Camera_GUI" textureSize="0;64")",
         "Could not initialize render texture"},
        {R"(font="Font_Sans" fontCamera="Camera_GUI" textureSize="-256;64")",
         "Could not initialize render texture"},
        {R"(font="Font_Sans" fontCamera="Camera_GUI" textureSize="256;1e9")",
         "Could not initialize render texture"},
    };
    int index = 0;
    for (const auto& [attributes, message] : cases)
    {
        const std::string name = "Broken" + std::to_string(index++);
        LogCapture capture;
        Game::Object* object = Create("<Object name=\"" + name +
                                      "\"><Transform/><Graphics type=\"GraphicsComponent_Text\" "
                                      "renderable=\"Mesh_ScreenQuad\" " +
                                      attributes + "/></Object>");
        const std::string log = capture.Text();
        EXPECT_TRUE(ContainsWrapped(log, name + "/Text")) << log;
        EXPECT_TRUE(ContainsWrapped(log, message)) << log;
        EXPECT_EQ(TextOf(object), nullptr) << attributes;
        EXPECT_FALSE(Resources::System::GetInstance().HasResource(name + "_text")) << attributes;
    }
}

// The archetype a screen caption starts from: a text component in the "GUI" set, its caption empty
// until code sets one.
TEST_F(TextGraphicsTest, TheGuiTextArchetypeMakesAnEmptyScreenCaption)
{
    ASSERT_TRUE(
        Game::System::GetInstance().Parse(ParseXml("<GameSystem><Objects archetypesFolder=\"" +
                                                   Testing::DataFolder() + "Archetypes\"/></GameSystem>")
                                              .get()));
    Game::Object* object = Game::System::GetInstance().CreateObjectFromArchetype("Score", "GUI_Text.xml");
    TextGraphics* text = TextOf(object);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetCaption(), "");
    EXPECT_EQ(text->GetRenderTexture()->GetWidth(), 512u);
    const std::vector<std::string> sets = System::GetInstance().GetRenderSetsOf(text);
    EXPECT_EQ(sets, std::vector<std::string>{"GUI"});
    text->SetCaption("Score: 120");
    WaitForResources();
    Frame();
    EXPECT_EQ(text->GetRenderCount(), 1);
}

TEST_F(TextGraphicsTest, SavedTextReloadsWithItsAttributes)
{
    Game::Object* object = Create(kHello);
    TextGraphics* text = TextOf(object);
    ASSERT_NE(text, nullptr);
    text->SetCaption("Saved caption");
    text->SetBackColor({0.1f, 0.2f, 0.3f, 0.4f});
    XMLParserData saved("Objects");
    ASSERT_TRUE(object->Save(&saved));
    const std::string xml = saved.ToString();
    for (const char* expected :
         {R"(type="GraphicsComponent_Text")", R"(font="Font_Sans")", R"(fontCamera="Camera_GUI")",
          R"(fontSize="48")", R"(caption="Saved caption")", R"(texture="")"})
    {
        EXPECT_NE(xml.find(expected), std::string::npos) << expected << "\n" << xml;
    }
    text->Release();

    XMLParserData reloaded;
    ASSERT_TRUE(reloaded.FromString(xml));
    IParserData* element = reloaded.GetFirstChild();
    ASSERT_NE(element, nullptr);
    element->SetAttribute("name", "Reloaded");
    TextGraphics* copy = TextOf(Game::System::GetInstance().CreateObject(element));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetCaption(), "Saved caption");
    EXPECT_EQ(copy->GetRenderTexture()->GetWidth(), 256u);
    EXPECT_EQ(copy->GetRenderTexture()->GetHeight(), 64u);
    XMLParserData again("Objects");
    ASSERT_TRUE(Game::System::GetInstance().GetObject("Reloaded")->Save(&again));
    std::string resaved = again.ToString();
    resaved.replace(resaved.find("Reloaded"), 8, "Caption");
    EXPECT_EQ(resaved, xml) << "nothing lost on the way";
    EXPECT_TRUE(Resources::System::GetInstance().HasResource("Reloaded_text"));
}
} // namespace
} // namespace Morvane::Graphics
