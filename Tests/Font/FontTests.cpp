#include "Font/Font.h"
#include "Platform/ExecutablePath.h"
#include "Resources/ResourceSystem.h"
#include "Support/GlTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/Assert/Assertion.h"
#include "Texture/Texture.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <lodepng.h>
#include <string>
#include <thread>

namespace Morvane::Graphics
{
namespace
{
using Testing::ContainsWrapped;
using Testing::LogCapture;
using Testing::ParseXml;

std::string ShippedFont(const char* file)
{
    const std::filesystem::path build =
        std::filesystem::path(Platform::GetExecutablePath()).parent_path().parent_path();
    return (build / "Fonts" / file).string();
}

class FontTest : public Testing::GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        ASSERT_TRUE(Resources::System::GetInstance().Initialize());
    }

    // A two-page font of 8 x 8 white pages in the test folder, one glyph on each page.
    std::string WriteTwoPageFont(const std::string& secondPage = "b.png") const
    {
        const std::vector<unsigned char> white(8 * 8 * 4, 255);
        std::vector<unsigned char> png;
        EXPECT_EQ(lodepng::encode(png, white, 8, 8), 0u);
        folder.Write("a.png", std::string(png.begin(), png.end()));
        folder.Write("b.png", std::string(png.begin(), png.end()));
        return folder.Write("font.xml", R"(<font><common lineHeight="8" base="6" scaleW="8" scaleH="8"/>
            <pages><page file="a.png"/><page file=")" +
                                            secondPage + R"("/></pages>
            <chars><char id="65" width="4" height="4" xadvance="5" page="0"/>
                   <char id="66" width="4" height="4" xadvance="5" page="1"/></chars></font>)");
    }

    Font* Request(const std::string& name, const std::string& path, bool threaded = false)
    {
        Resources::System& resources = Resources::System::GetInstance();
        EXPECT_TRUE(resources.AddDefinition(name, *ParseXml("<Font name=\"" + name + "\" path=\"" + path +
                                                            "\" multiThreaded=\"" +
                                                            (threaded ? "true" : "false") + "\"/>")));
        return resources.GetResource<Font>(name);
    }

    Testing::TempDirectory folder;
};

GLint TextureParameter(const Texture& texture, GLenum parameter)
{
    GLint value = 0;
    glGetTextureParameteriv(texture.GetHandle(), parameter, &value);
    return value;
}

// The shipped font loads on the load thread like any "multiThreaded" resource: its pages become
// mipmapped texture resources of their own, its glyphs are white with coverage in alpha, "AV" is kerned
// closer, and unloading the font unloads its pages.
TEST_F(FontTest, TheShippedFontLoadsOnTheLoadThreadWithMipmappedPages)
{
    Resources::System& resources = Resources::System::GetInstance();
    Font* font = Request("Font_Sans", ShippedFont("DejaVuSans.xml"), true);
    ASSERT_NE(font, nullptr);
    for (int frame = 0; frame < 500 && !font->IsInitialized(); ++frame)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        resources.Update(0.016f);
    }
    ASSERT_TRUE(font->IsInitialized());
    EXPECT_EQ(font->GetLineHeight(), 75);
    EXPECT_EQ(font->GetBase(), 60);
    ASSERT_EQ(font->GetTextureCount(), 2u);
    for (unsigned page = 0; page < 2; ++page)
    {
        const std::string name = "Font_Sans_Page" + std::to_string(page);
        ASSERT_TRUE(resources.HasResource(name)) << name;
        const Texture& texture = *font->GetTexture(page);
        EXPECT_EQ(&texture, resources.GetResource<Texture>(name));
        EXPECT_EQ(texture.GetWidth(), 512u);
        EXPECT_TRUE(texture.HasMipMap());
        EXPECT_EQ(TextureParameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
        EXPECT_EQ(TextureParameter(texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);
        GLint levelWidth = 0;
        glGetTextureLevelParameteriv(texture.GetHandle(), 1, GL_TEXTURE_WIDTH, &levelWidth);
        EXPECT_EQ(levelWidth, 256) << "mipmaps were made";
    }

    const FontCharacter* a = font->GetCharacter('A');
    ASSERT_NE(a, nullptr);
    ASSERT_NE(a->kernings.count('V'), 0u);
    EXPECT_LT(a->kernings.at('V'), 0.0f);
    EXPECT_EQ(font->GetCharacter(0x4E00), nullptr);

    // The middle of the "I" bar is fully inked, and white.
    const FontCharacter* bar = font->GetCharacter('I');
    ASSERT_NE(bar, nullptr);
    const Texture& page = *font->GetTexture(static_cast<unsigned>(bar->page));
    const float x = (bar->u + bar->width * 60.0f / 512.0f / 2.0f) * 512.0f;
    const float y = (bar->v - bar->height * 75.0f / 512.0f / 2.0f) * 512.0f;
    const std::size_t texel = (static_cast<std::size_t>(y) * 512 + static_cast<std::size_t>(x)) * 4;
    EXPECT_FLOAT_EQ(page.GetColorData()[texel + 3], 1.0f);
    EXPECT_FLOAT_EQ(page.GetColorData()[texel], 1.0f);

    resources.UnloadResource("Font_Sans");
    EXPECT_FALSE(resources.HasResource("Font_Sans_Page0"));
    EXPECT_FALSE(resources.HasResource("Font_Sans_Page1"));
}

TEST_F(FontTest, AMissingPageFailsTheWholeFont)
{
    const std::string path = WriteTwoPageFont("missing.png");
    LogCapture capture;
    EXPECT_EQ(Request("Font_Broken", path), nullptr);
    const std::string log = capture.Text();
    EXPECT_TRUE(ContainsWrapped(log, "Font 'Font_Broken'")) << log;
    EXPECT_TRUE(ContainsWrapped(log, "Could not load texture '" + folder.Path() + "missing.png'")) << log;
    EXPECT_FALSE(Resources::System::GetInstance().HasResource("Font_Broken_Page0"));
}

TEST_F(FontTest, UnreadableFilesFailWithTheirMessages)
{
    folder.Write("bad.xml", "<font><common");
    folder.Write("zero.xml", R"(<font><common lineHeight="0" base="6" scaleW="8" scaleH="8"/></font>)");
    const std::pair<std::string, const char*> cases[] = {
        {folder.Path() + "absent.xml", "Could not read font file"},
        {folder.Path() + "bad.xml", "Could not read font file"},
        {folder.Path() + "zero.xml", "Data could not be parsed of path"},
    };
    int index = 0;
    for (const auto& [path, message] : cases)
    {
        LogCapture capture;
        EXPECT_EQ(Request("Font_" + std::to_string(index++), path), nullptr) << path;
        const std::string log = capture.Text();
        EXPECT_TRUE(ContainsWrapped(log, message)) << log;
    }
}

// A page texture's name already taken fails the font and takes back the pages it made, never the
// resource that was there first.
TEST_F(FontTest, ATakenPageNameFailsTheFontAndLeavesTheOtherResource)
{
    Resources::System& resources = Resources::System::GetInstance();
    ASSERT_TRUE(resources.AddResource(std::make_unique<Texture>("Font_Clash_Page1")));
    const std::string path = WriteTwoPageFont();
    LogCapture capture;
    EXPECT_EQ(Request("Font_Clash", path), nullptr);
    const std::string log = capture.Text();
    EXPECT_TRUE(ContainsWrapped(log, "Could not create texture 'Font_Clash_Page1'")) << log;
    EXPECT_FALSE(resources.HasResource("Font_Clash_Page0"));
    EXPECT_TRUE(resources.HasResource("Font_Clash_Page1"));
}

TEST_F(FontTest, TexturesAndCharactersAreAskedOfALoadedFontOnly)
{
    Font empty("Font_Empty");
    EXPECT_THROW(empty.GetTexture(0), AssertionFailure);
    EXPECT_THROW(empty.GetCharacter('A'), AssertionFailure);

    Font* font = Request("Font_Two", WriteTwoPageFont());
    ASSERT_NE(font, nullptr);
    EXPECT_NE(font->GetTexture(1), nullptr);
    try
    {
        font->GetTexture(2);
        ADD_FAILURE() << "no assertion";
    }
    catch (const AssertionFailure& failure)
    {
        EXPECT_NE(std::string(failure.what()).find("index < m_textures.size()"), std::string::npos);
    }
    EXPECT_FLOAT_EQ(font->GetCharacter('B')->xAdvance, 5.0f / 6.0f);
}
} // namespace
} // namespace Morvane::Graphics
