#include "Files/FilesSystem.h"
#include "Graphics/GraphicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "Shader/UniformFeeder.h"
#include "Support/GlTest.h"
#include "Support/GraphicsData.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/QuadDrawing.h"
#include "Support/TempDirectory.h"
#include "System/Assert/Assertion.h"
#include "Texture/Texture.h"

#include <SDL.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <lodepng.h>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
using Testing::LogCapture;
using Testing::NearColour;
using Testing::ParseXml;

// A 2 x 2 picture as PNG rows run (top first): red, green over blue, white.
const std::vector<unsigned char> kCorners = {255, 0, 0,   255, 0,   255, 0,   255,
                                             0,   0, 255, 255, 255, 255, 255, 255};

std::vector<unsigned char> EncodePng(const std::vector<unsigned char>& rgba, unsigned width, unsigned height,
                                     LodePNGColorType type = LCT_RGBA, unsigned depth = 8,
                                     bool interlaced = false)
{
    lodepng::State state;
    state.info_raw.colortype = LCT_RGBA;
    state.info_raw.bitdepth = 8;
    state.info_png.color.colortype = type;
    state.info_png.color.bitdepth = depth;
    state.info_png.interlace_method = interlaced ? 1 : 0;
    state.encoder.auto_convert = 0;
    if (type == LCT_PALETTE)
    {
        for (std::size_t at = 0; at < rgba.size(); at += 4)
        {
            lodepng_palette_add(&state.info_png.color, rgba[at], rgba[at + 1], rgba[at + 2], rgba[at + 3]);
            lodepng_palette_add(&state.info_raw, rgba[at], rgba[at + 1], rgba[at + 2], rgba[at + 3]);
        }
    }
    std::vector<unsigned char> png;
    EXPECT_EQ(lodepng::encode(png, rgba, width, height, state), 0u);
    return png;
}

class TextureTest : public Testing::GlTest
{
protected:
    std::string WritePng(const std::string& name, const std::vector<unsigned char>& png)
    {
        return folder.Write(name, std::string(png.begin(), png.end()));
    }

    // Parses a "Texture" element named "Test"; its log goes to `log`.
    bool Parse(Texture& texture, const std::string& xml, std::string* log = nullptr)
    {
        const auto definition = ParseXml(xml);
        LogCapture capture;
        const bool parsed = texture.Parse(definition.get());
        if (log != nullptr)
        {
            *log = capture.Text();
        }
        return parsed;
    }

    // Draws `texture` over a 64 x 64 viewport and returns the pixel at (x, y).
    glm::u8vec4 DrawAndRead(const Texture& texture, int x, int y)
    {
        if (!m_quad)
        {
            m_quad = Testing::MakeScreenQuad();
            EXPECT_TRUE(m_quad->Initialize());
            m_camera = Testing::MakeScreenCamera();
            m_shader = Testing::LoadBasicShader("Textured");
        }
        ClearTo(glm::vec4(0.0f));
        glUseProgram(m_shader->GetProgram());
        const glm::mat4 world(1.0f);
        DrawValues values;
        values.world = &world;
        values.texture = &texture;
        System::GetInstance().GetUniformFeeder().Feed(*m_shader, *m_camera, values);
        m_quad->Draw();
        return ReadPixel(x, y);
    }

    Testing::TempDirectory folder;
    std::unique_ptr<Mesh> m_quad;
    std::unique_ptr<Camera> m_camera;
    std::unique_ptr<Shader> m_shader;
};

TEST_F(TextureTest, APngShowsUprightInTextureSpace)
{
    const std::string path = WritePng("Corners.png", EncodePng(kCorners, 2, 2));
    Texture texture("Test");
    ASSERT_TRUE(Parse(texture, R"(<Texture path=")" + path + R"(" mag="GL_NEAREST" min="GL_NEAREST"/>)"));
    EXPECT_EQ(texture.GetWidth(), 2u);
    EXPECT_EQ(texture.GetHeight(), 2u);
    EXPECT_EQ(texture.GetPath(), path);
    ASSERT_EQ(texture.GetColorData().size(), 16u);
    // Row 0 is the bottom of the picture: blue, white.
    EXPECT_EQ(std::vector<float>(texture.GetColorData().begin(), texture.GetColorData().begin() + 8),
              (std::vector<float>{0, 0, 1, 1, 1, 1, 1, 1}));
    ASSERT_TRUE(texture.Initialize());
    EXPECT_TRUE(NearColour(DrawAndRead(texture, 2, 61), {255, 0, 0, 255}));
    EXPECT_TRUE(NearColour(DrawAndRead(texture, 61, 61), {0, 255, 0, 255}));
    EXPECT_TRUE(NearColour(DrawAndRead(texture, 2, 2), {0, 0, 255, 255}));
    EXPECT_TRUE(NearColour(DrawAndRead(texture, 61, 2), {255, 255, 255, 255}));
}

TEST_F(TextureTest, GreyPaletteSixteenBitAndInterlacedFilesGiveTheSameTexels)
{
    // A grey ramp with alpha, so that every variant can hold it exactly.
    std::vector<unsigned char> rgba;
    for (unsigned texel = 0; texel < 16; ++texel)
    {
        const auto level = static_cast<unsigned char>(texel * 17);
        rgba.insert(rgba.end(), {level, level, level, 255});
    }
    Texture reference("Reference");
    ASSERT_TRUE(
        Parse(reference, R"(<Texture path=")" + WritePng("Rgba.png", EncodePng(rgba, 4, 4)) + R"("/>)"));
    const struct
    {
        const char* name;
        LodePNGColorType type;
        unsigned depth;
        bool interlaced;
    } variants[] = {{"Grey.png", LCT_GREY, 8, false},
                    {"Palette.png", LCT_PALETTE, 8, false},
                    {"Deep.png", LCT_RGBA, 16, false},
                    {"Interlaced.png", LCT_RGBA, 8, true},
                    {"GreyAlpha.PNG", LCT_GREY_ALPHA, 8, false}};
    for (const auto& variant : variants)
    {
        Texture texture(variant.name);
        const std::string path =
            WritePng(variant.name, EncodePng(rgba, 4, 4, variant.type, variant.depth, variant.interlaced));
        ASSERT_TRUE(Parse(texture, R"(<Texture path=")" + path + R"("/>)")) << variant.name;
        EXPECT_EQ(texture.GetColorData(), reference.GetColorData()) << variant.name;
    }
}

TEST_F(TextureTest, PathsNeedAPngExtension)
{
    Texture texture("Test");
    std::string log;
    EXPECT_FALSE(Parse(texture, R"(<Texture path=")" + folder.Path() + R"(noextension"/>)", &log));
    EXPECT_NE(log.find("Image without extension, unknown format"), std::string::npos) << log;
    EXPECT_FALSE(Parse(texture, R"(<Texture path=")" + folder.Path() + R"(some.folder/file"/>)", &log));
    EXPECT_NE(log.find("Image without extension, unknown format"), std::string::npos) << log;
    EXPECT_FALSE(Parse(texture, R"(<Texture path=")" + folder.Path() + R"(photo.jpg"/>)", &log));
    EXPECT_NE(log.find("Unknown image format: 'JPG'"), std::string::npos) << log;
    EXPECT_FALSE(Parse(texture, R"(<Texture path=")" + folder.Path() + R"(missing.png"/>)", &log));
    EXPECT_NE(log.find("Could not load image '"), std::string::npos) << log;
    EXPECT_NE(log.find("Could not load PNG ["), std::string::npos) << log;
}

TEST_F(TextureTest, BrokenImagesFailWithoutGarbage)
{
    const std::vector<unsigned char> good = EncodePng(kCorners, 2, 2);
    std::vector<unsigned char> corrupt = good;
    corrupt[corrupt.size() / 2] ^= 0xFF;
    const std::vector<unsigned char> truncated(good.begin(),
                                               good.begin() + static_cast<long>(good.size() / 2));
    // A valid header claiming 100,000 x 100,000 texels, and nothing after it.
    std::vector<unsigned char> huge(good.begin(), good.begin() + 33);
    huge[16] = 0x00;
    huge[17] = 0x01;
    huge[18] = 0x86;
    huge[19] = 0xA0;
    huge[20] = 0x00;
    huge[21] = 0x01;
    huge[22] = 0x86;
    huge[23] = 0xA0;
    const unsigned crc = lodepng_crc32(&huge[12], 17);
    huge[29] = static_cast<unsigned char>(crc >> 24);
    huge[30] = static_cast<unsigned char>(crc >> 16);
    huge[31] = static_cast<unsigned char>(crc >> 8);
    huge[32] = static_cast<unsigned char>(crc);
    const std::string text = "this is not a picture";
    const struct
    {
        const char* name;
        std::vector<unsigned char> bytes;
        const char* problem;
    } cases[] = {{"Corrupt.png", corrupt, "PNG: "},
                 {"Truncated.png", truncated, "PNG: "},
                 {"Huge.png", huge, "PNG: an image of 100000 x 100000 texels is too large"},
                 {"Text.png", std::vector<unsigned char>(text.begin(), text.end()), "PNG: "}};
    for (const auto& test : cases)
    {
        Texture texture("Test");
        std::string log;
        EXPECT_FALSE(Parse(texture, R"(<Texture path=")" + WritePng(test.name, test.bytes) + R"("/>)", &log))
            << test.name;
        EXPECT_NE(log.find("PNG: Could not load the image properly"), std::string::npos) << test.name << log;
        EXPECT_NE(log.find(test.problem), std::string::npos) << test.name << log;
        EXPECT_TRUE(texture.GetColorData().empty()) << test.name;
    }
}

TEST_F(TextureTest, DescriptionsNameGlEnumerationsAndSizes)
{
    Texture texture("Test");
    ASSERT_TRUE(
        Parse(texture, R"(<Texture width="8" height="4" textureFormat="GL_RED" textureFormatInternal="GL_R32F"
        colorDataType="GL_UNSIGNED_BYTE" wrapMode="GL_REPEAT" mag="GL_NEAREST" min="GL_NEAREST"/>)"));
    EXPECT_EQ(texture.GetFormat(), static_cast<GLenum>(GL_RED));
    EXPECT_EQ(texture.GetInternalFormat(), static_cast<GLenum>(GL_R32F));
    EXPECT_EQ(texture.GetWrapMode(), static_cast<GLenum>(GL_REPEAT));
    ASSERT_TRUE(texture.Initialize());
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, texture.GetHandle());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 8);

    std::string log;
    EXPECT_FALSE(Parse(texture, R"(<Texture min="GL_BLURRY"/>)", &log));
    EXPECT_NE(log.find("Unknown GL name 'GL_BLURRY' for 'min'"), std::string::npos) << log;

    Texture unsized("Unsized");
    ASSERT_TRUE(Parse(unsized, R"(<Texture/>)"));
    LogCapture capture;
    EXPECT_FALSE(unsized.Initialize());
    EXPECT_TRUE(capture.Contains("Non sized texture"));
}

TEST_F(TextureTest, UploadsOpenGLRefusesFailTheTexture)
{
    Texture texture("Test");
    ASSERT_TRUE(Parse(texture, R"(<Texture width="20000" height="4"/>)"));
    LogCapture log;
    EXPECT_FALSE(texture.Initialize());
    EXPECT_TRUE(log.Contains("A texture of 20000 x 4 is larger than OpenGL's 16384")) << log.Text();
    EXPECT_EQ(texture.GetHandle(), 0u);

    // A depth format with a colour internal format is a pair GL refuses.
    Texture mismatched("Mismatched");
    ASSERT_TRUE(Parse(mismatched, R"(<Texture width="4" height="4" textureFormat="GL_DEPTH_COMPONENT"
        textureFormatInternal="GL_RGBA8"/>)"));
    EXPECT_FALSE(mismatched.Initialize());
    EXPECT_EQ(mismatched.GetHandle(), 0u);
    EXPECT_FALSE(TakeGlErrors().empty());

    // Colour data that does not cover the size is never handed to GL.
    Texture shortData("Short");
    shortData.SetColorData({1, 0, 0, 1}, 2, 2);
    EXPECT_FALSE(shortData.Initialize());
}

TEST_F(TextureTest, MipmapFiltersAreCorrectedUnlessMipmapsAreAsked)
{
    const std::string path = WritePng("Corners.png", EncodePng(kCorners, 2, 2));
    for (const char* filter : {"GL_NEAREST_MIPMAP_NEAREST", "GL_LINEAR_MIPMAP_NEAREST",
                               "GL_NEAREST_MIPMAP_LINEAR", "GL_LINEAR_MIPMAP_LINEAR"})
    {
        Texture texture(filter);
        ASSERT_TRUE(Parse(texture, R"(<Texture path=")" + path + R"(" min=")" + filter + R"(" mag=")" +
                                       filter + R"("/>)"));
        LogCapture log;
        ASSERT_TRUE(texture.Initialize());
        EXPECT_TRUE(log.Contains("Mag filter cannot use mipmap. Better option is GL_LINEAR")) << filter;
        EXPECT_TRUE(log.Contains("Min filter tried to use mipmap without explicitly saying so")) << filter;
        log.Text();
        EXPECT_EQ(texture.GetMinFilter(), static_cast<GLenum>(GL_LINEAR)) << filter;
        EXPECT_EQ(texture.GetMagFilter(), static_cast<GLenum>(GL_LINEAR)) << filter;
        // Not black: the texture is complete.
        EXPECT_TRUE(NearColour(DrawAndRead(texture, 0, 0), {0, 0, 255, 255}, 40)) << filter;

        Texture mipmapped(std::string(filter) + "Mipmapped");
        ASSERT_TRUE(
            Parse(mipmapped, R"(<Texture path=")" + path + R"(" mipMap="true" min=")" + filter + R"("/>)"));
        ASSERT_TRUE(mipmapped.Initialize());
        EXPECT_NE(mipmapped.GetMinFilter(), static_cast<GLenum>(GL_LINEAR)) << filter;
        GLint levels = 0;
        glBindTexture(GL_TEXTURE_2D, mipmapped.GetHandle());
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levels);
        EXPECT_EQ(levels, 1) << "the 1 x 1 level exists";
    }
}

TEST_F(TextureTest, DepthTexturesCompareNothing)
{
    Texture depth("Depth");
    ASSERT_TRUE(Parse(depth, R"(<Texture width="4" height="4" textureFormat="GL_DEPTH_COMPONENT"
        textureFormatInternal="GL_DEPTH_COMPONENT24"/>)"));
    ASSERT_TRUE(depth.Initialize());
    GLint mode = -1;
    glBindTexture(GL_TEXTURE_2D, depth.GetHandle());
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, &mode);
    EXPECT_EQ(mode, GL_NONE);
}

TEST_F(TextureTest, PremultiplyingHappensOnceWhateverTheRebuilds)
{
    Texture texture("Test");
    ASSERT_TRUE(Parse(
        texture, R"(<Texture width="1" height="1" premultiplyAlpha="true" textureFormatInternal="GL_RGBA32F">
        1 0.5 0.25 0.5</Texture>)"));
    ASSERT_TRUE(texture.Initialize());
    texture.Rebuild();
    texture.SetMipMap(false);
    std::vector<float> uploaded(4);
    glBindTexture(GL_TEXTURE_2D, texture.GetHandle());
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_FLOAT, uploaded.data());
    EXPECT_EQ(uploaded, (std::vector<float>{0.5f, 0.25f, 0.125f, 0.5f}));
    EXPECT_EQ(texture.GetColorData(), (std::vector<float>{1.0f, 0.5f, 0.25f, 0.5f}));
}

TEST_F(TextureTest, SaveWritesWhatLoadsBack)
{
    const std::string path = WritePng("Corners.png", EncodePng(kCorners, 2, 2));
    Texture texture("Test");
    ASSERT_TRUE(Parse(texture, R"(<Texture path=")" + path + R"(" wrapMode="GL_REPEAT" premultiplyAlpha="true"
        mag="GL_NEAREST" min="GL_LINEAR_MIPMAP_LINEAR" mipMap="true" textureFormatInternal="GL_SRGB8_ALPHA8"/>)"));
    XMLParserData saved;
    ASSERT_TRUE(saved.FromString("<Texture/>"));
    ASSERT_TRUE(texture.Save(&saved));
    EXPECT_FALSE(saved.HasAttribute("path"));
    EXPECT_EQ(saved.GetAttribute("min", ""), "GL_LINEAR_MIPMAP_LINEAR");
    EXPECT_EQ(saved.GetAttribute("textureFormatInternal", ""), "GL_SRGB8_ALPHA8");
    EXPECT_EQ(saved.GetInnerText().substr(0, 9), "0.000000 ");

    Texture loaded("Loaded");
    ASSERT_TRUE(loaded.Parse(&saved));
    EXPECT_EQ(loaded.GetColorData(), texture.GetColorData());
    EXPECT_EQ(loaded.GetWidth(), 2u);
    EXPECT_TRUE(loaded.PremultipliesAlpha());
    EXPECT_TRUE(loaded.HasMipMap());
    EXPECT_EQ(loaded.GetWrapMode(), static_cast<GLenum>(GL_REPEAT));
    ASSERT_TRUE(loaded.Initialize());
    EXPECT_TRUE(NearColour(DrawAndRead(loaded, 2, 61), {255, 0, 0, 255}));

    Texture target("Target");
    ASSERT_TRUE(Parse(target, R"(<Texture width="4" height="4"/>)"));
    XMLParserData empty;
    ASSERT_TRUE(empty.FromString("<Texture/>"));
    LogCapture log;
    EXPECT_FALSE(target.Save(&empty));
    EXPECT_TRUE(log.Contains("Could not save texture because no color data"));

    std::string parseLog;
    EXPECT_FALSE(Parse(target, R"(<Texture width="2" height="2">1 0 0 1</Texture>)", &parseLog));
    EXPECT_NE(parseLog.find("There are 4 color values for 2 x 2 texels, 16 expected"), std::string::npos)
        << parseLog;
}

TEST_F(TextureTest, SettersRebuildTheTextureAndBindNeedsOne)
{
    Texture texture("Test");
    ASSERT_TRUE(Parse(texture, R"(<Texture width="2" height="2"/>)"));
    EXPECT_THROW(texture.Bind(0), AssertionFailure);
    texture.SetWrapMode(GL_REPEAT);
    ASSERT_TRUE(texture.Initialize());
    {
        LogCapture log;
        texture.SetWrapMode(GL_REPEAT);
        EXPECT_FALSE(log.Contains("Reloading texture"));
    }
    LogCapture log;
    texture.SetColorData(std::vector<float>(16, 1.0f), 2, 2);
    EXPECT_TRUE(log.Contains("Reloading texture, this may not occur too often"));
    EXPECT_NE(texture.GetHandle(), 0u);
    EXPECT_TRUE(NearColour(DrawAndRead(texture, 10, 10), {255, 255, 255, 255}));
}
TEST_F(TextureTest, CommittedTexturesLoadInTheBackground)
{
    Resources::System& resources = Resources::System::GetInstance();
    ASSERT_TRUE(resources.Initialize());
    const Testing::GameFolderAsLocalFolder gameFolder;
    ASSERT_TRUE(
        resources.Parse(ParseXml(R"(<ResourceSystem path="$(LocalFolder)Resources/Textures.xml"/>)").get()));
    Texture* checker = resources.GetResource<Texture>("Texture_Checker");
    Texture* gradient = resources.GetResource<Texture>("Texture_Gradient");
    ASSERT_NE(checker, nullptr);
    ASSERT_NE(gradient, nullptr);
    for (int frame = 0; frame < 500 && !(checker->IsInitialized() && gradient->IsInitialized()); ++frame)
    {
        resources.Update(0.016f);
        SDL_Delay(2);
    }
    ASSERT_TRUE(checker->IsInitialized());
    ASSERT_TRUE(gradient->IsInitialized());
    EXPECT_EQ(checker->GetWidth(), 64u);
    EXPECT_EQ(checker->GetMinFilter(), static_cast<GLenum>(GL_LINEAR_MIPMAP_LINEAR));
    // Red grows to the right, green upwards.
    EXPECT_TRUE(NearColour(DrawAndRead(*gradient, 62, 1), {248, 0, 0, 255}, 8));
    EXPECT_TRUE(NearColour(DrawAndRead(*gradient, 1, 62), {0, 248, 0, 255}, 8));
}

// Writes `png` over `path` and moves its write time on by `step` seconds: the file system's clock is
// coarser than two writes in a row.
void Rewrite(const std::string& path, const std::vector<unsigned char>& png, int step)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
    std::filesystem::last_write_time(path,
                                     std::filesystem::last_write_time(path) + std::chrono::seconds(step));
}

TEST_F(TextureTest, ARewrittenPngGoesIntoTheSameTextureWhateverItsSize)
{
    const std::string path = WritePng("Picture.png", EncodePng(kCorners, 2, 2));
    Texture texture("Test");
    ASSERT_TRUE(Parse(texture, R"(<Texture path=")" + path + R"(" mag="GL_NEAREST" min="GL_NEAREST"/>)"));
    ASSERT_TRUE(texture.Initialize());
    const GLuint handle = texture.GetHandle();
    ASSERT_TRUE(NearColour(DrawAndRead(texture, 2, 61), {255, 0, 0, 255}));

    // Yellow, cyan, magenta in one row.
    Rewrite(path, EncodePng({255, 255, 0, 255, 0, 255, 255, 255, 255, 0, 255, 255}, 3, 1), 1);
    {
        LogCapture log;
        Files::System::GetInstance().CheckWatches();
        EXPECT_TRUE(log.Contains("Reloaded '" + path + "'")) << log.Text();
    }
    EXPECT_EQ(texture.GetHandle(), handle);
    EXPECT_EQ(texture.GetWidth(), 3u);
    EXPECT_EQ(texture.GetHeight(), 1u);
    EXPECT_EQ(texture.GetStoredBytes(), 3u * 4u);
    EXPECT_TRUE(NearColour(DrawAndRead(texture, 2, 61), {255, 255, 0, 255}));
    EXPECT_TRUE(NearColour(DrawAndRead(texture, 61, 2), {255, 0, 255, 255}));
}

TEST_F(TextureTest, AnUnreadableRewriteKeepsThePictureAndAFileThatIsGoneIsNotLookedAt)
{
    const std::vector<unsigned char> good = EncodePng(kCorners, 2, 2);
    const std::string path = WritePng("Picture.png", good);
    Texture texture("Test");
    ASSERT_TRUE(Parse(texture, R"(<Texture path=")" + path + R"(" mag="GL_NEAREST" min="GL_NEAREST"/>)"));
    ASSERT_TRUE(texture.Initialize());
    const GLuint handle = texture.GetHandle();
    const std::string kept = "Could not reload '" + path + "'; the previous version stays";
    const auto keepsThePicture = [&](const char* what)
    {
        EXPECT_EQ(texture.GetHandle(), handle) << what;
        EXPECT_EQ(texture.GetWidth(), 2u) << what;
        EXPECT_TRUE(NearColour(DrawAndRead(texture, 2, 61), {255, 0, 0, 255})) << what;
    };

    Rewrite(path, std::vector<unsigned char>(good.begin(), good.begin() + static_cast<long>(good.size() / 2)),
            1);
    {
        LogCapture log;
        Files::System::GetInstance().CheckWatches();
        EXPECT_TRUE(log.Contains("PNG: Could not load the image properly")) << log.Text();
        EXPECT_TRUE(log.ContainsWrapped(kept)) << log.Text();
    }
    keepsThePicture("truncated");

    std::filesystem::remove(path);
    {
        LogCapture log;
        Files::System::GetInstance().CheckWatches();
        EXPECT_EQ(log.Text(), "");
    }
    keepsThePicture("deleted");

    std::filesystem::create_directory(path);
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
    {
        LogCapture log;
        Files::System::GetInstance().CheckWatches();
        EXPECT_TRUE(log.ContainsWrapped("Could not load image '" + path + "'")) << log.Text();
        EXPECT_TRUE(log.ContainsWrapped(kept)) << log.Text();
    }
    keepsThePicture("a folder");
}

// Only a texture read from a file watches it, once however often it is rebuilt, and no longer once it
// is unloaded: a later F9 cannot reach it.
TEST_F(TextureTest, AnUnloadedTextureNoLongerWatchesItsFile)
{
    Files::System& files = Files::System::GetInstance();
    const std::size_t before = files.GetWatchCount();
    Texture target("Target");
    ASSERT_TRUE(Parse(target, R"(<Texture width="4" height="4"/>)"));
    ASSERT_TRUE(target.Initialize());
    EXPECT_EQ(files.GetWatchCount(), before);

    const std::string path = WritePng("Picture.png", EncodePng(kCorners, 2, 2));
    Resources::System& resources = Resources::System::GetInstance();
    ASSERT_TRUE(resources.Parse(
        ParseXml(R"(<ResourceSystem><Texture name="Picture" path=")" + path + R"("/></ResourceSystem>)")
            .get()));
    Texture* picture = resources.GetResource<Texture>("Picture");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(files.GetWatchCount(), before + 1);
    picture->SetMipMap(true);
    EXPECT_EQ(files.GetWatchCount(), before + 1);

    resources.UnloadResource("Picture");
    EXPECT_EQ(files.GetWatchCount(), before);
    Rewrite(path, EncodePng(kCorners, 2, 2), 1);
    LogCapture log;
    files.CheckWatches();
    EXPECT_EQ(log.Text(), "");
}
} // namespace
} // namespace Morvane::Graphics
