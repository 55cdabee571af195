#include "Behavior/RoomLighting/RoomLighting.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Golden.h"
#include "Graphics/Camera.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/LightingDirectionalGraphics/LightingDirectionalGraphics.h"
#include "Graphics/LightingPointGraphics/LightingPointGraphics.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Resources/Resource.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Support/FrameCapture.h"
#include "Support/GBufferData.h"
#include "Support/GameGraphicsTest.h"
#include "Support/GraphicsData.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/Assert/Assertion.h"
#include "Texture/FrameBuffer.h"
#include "Texture/ImageComparison.h"
#include "Texture/Texture.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_inverse.hpp>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <typeinfo>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
using Testing::ContainsWrapped;
using Testing::ParseXml;

constexpr int kWidth = 160;
constexpr int kHeight = 100;

const char* const kTargets = Testing::kSmallGBuffer;

// The game's passes: the G-buffer, the lights added up, the lit picture onto the window.
const std::string kGraphics = R"(<GraphicsSystem>
    <Camera name="Camera_World" position="0;3;8" target="0;0.5;0" width="160" height="100" fov="60"
            nearPlane="0.1" farPlane="100"/>
    <Camera name="Camera_GUI" mode="Orthogonal" position="0;0;1" target="0;0;0" width="160" height="100"
            nearPlane="0.1" farPlane="10"/>
    <Set name="World"/><Set name="Lights_Directional"/><Set name="Lights_Point"/><Set name="Viewport"/>
    <PassConfiguration>
        )" + std::string(Testing::kGBufferPass) +
                              R"(
        <Pass name="Lighting">
            <Command type="SetFrameBuffer" frameBuffer="FrameBuffer_Lit"/>
            <Command type="Viewport" texture="Texture_Lit"/>
            <Command type="Depth" enabled="false" write="false"/>
            <Command type="CullFace" enabled="false"/>
            <Command type="Blend" enabled="true" sourceRGB="GL_ONE" destRGB="GL_ONE" sourceAlpha="GL_ONE"
                     destAlpha="GL_ONE"/>
            <Command type="ClearColorBuffer" color="0;0;0;0"/>
            <Command type="Render" set="Lights_Directional" shader="Shader_DirectionalLight" camera="Camera_GUI"/>
            <Command type="CullFace" enabled="true" cullMode="GL_FRONT"/>
            <Command type="Render" set="Lights_Point" shader="Shader_PointLight" camera="Camera_World"/>
        </Pass>
        <Pass name="Viewport_pass">
            <Command type="SetFrameBuffer"/>
            <Command type="Viewport" width="160" height="100"/>
            <Command type="CullFace" enabled="false"/>
            <Command type="Blend" enabled="false"/>
            <Command type="Render" set="Viewport" shader="Shader_DiffuseTexture" camera="Camera_GUI"/>
        </Pass>
    </PassConfiguration></GraphicsSystem>)";

const char* const kTextures = R"(ambientTerm="Texture_Null" deferredDiffuse="Texture_Diffuse"
    deferredNormals="Texture_NormalsInView" deferredPositions="Texture_PositionsInView")";

std::string Solid(const std::string& name, const std::string& transform, const std::string& colour)
{
    return "<Object name=\"" + name + "\"><Transform " + transform +
           "/><Graphics renderable=\"Mesh_Cube\" diffuseColor=\"" + colour +
           "\" renderSets=\"World\"/></Object>";
}

std::string Sun()
{
    return std::string(R"(<Object name="Sun"><Transform/><Graphics type="GraphicsComponent_DirectionalLight"
        renderable="Mesh_ScreenQuad" renderSets="Lights_Directional" )") +
           kTextures + "/></Object>";
}

std::string PointLight(const std::string& position)
{
    return R"(<Object name="Pointlight"><Transform position=")" + position +
           R"(" scale="8;8;8"/><Graphics type="GraphicsComponent_PointLight" renderable="Mesh_Sphere"
        diffuseColor="1;0.5;0.2;1" renderSets="Lights_Point" )" +
           kTextures + "/></Object>";
}

// A floor, a red and a blue crate seen from above and in front, lit by the game's shaders through its
// passes, at 160 x 100.
class LightingGraphicsTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml"});
        Resources::System& resources = Resources::System::GetInstance();
        ASSERT_TRUE(resources.Parse(ParseXml(kTargets).get()));
        ASSERT_TRUE(resources.Initialize());
        ASSERT_TRUE(System::GetInstance().Parse(ParseXml(m_graphics).get()));
        Game::System& game = Game::System::GetInstance();
        for (const std::string& object :
             {Solid("Floor", R"(position="0;-0.25;0" scale="20;0.5;20")", "0.6;0.6;0.55;1"),
              Solid("Red", R"(position="-1.5;0.5;-1" scale="1;1;1")", "0.8;0.2;0.15;1"),
              Solid("Blue", R"(position="1.5;0.75;0.5" scale="1.5;1.5;1.5")", "0.2;0.35;0.85;1"),
              std::string(R"(<Object name="Viewport"><Transform/><Graphics renderable="Mesh_ScreenQuad"
                  texture="Texture_Lit" renderSets="Viewport"/></Object>)")})
        {
            ASSERT_NE(game.CreateObject(ParseXml(object).get()), nullptr) << object;
        }
    }

    std::string m_graphics = kGraphics;

    template <class Kind> static Kind* Create(const std::string& xml)
    {
        Game::Object* object = Game::System::GetInstance().CreateObject(ParseXml(xml).get());
        return object != nullptr ? dynamic_cast<Kind*>(object->GetComponent<Component>()) : nullptr;
    }

    // Loads what is still loading and initialises the objects waiting for it.
    static void Settle()
    {
        Resources::System& resources = Resources::System::GetInstance();
        const auto loaded = [&resources]
        {
            return std::ranges::all_of(
                std::vector<const char*>{"Mesh_Cube", "Mesh_Sphere", "Mesh_ScreenQuad"},
                [&resources](const char* mesh)
                { return resources.GetResource<Resources::Resource>(mesh)->IsInitialized(); });
        };
        for (int frame = 0; frame < 400 && !loaded(); ++frame)
        {
            resources.Update(0.016f);
            SDL_Delay(5);
        }
        ASSERT_TRUE(loaded());
        Game::System::GetInstance().Update(0.016f);
    }

    static Morvane::Texture::RgbImage Frame() { return Testing::CaptureFrame(kWidth, kHeight); }

    // One texel of a render target as floats; (0, 0) is the bottom left.
    static glm::vec4 Texel(const std::string& texture, int x, int y)
    {
        glm::vec4 value{0.0f};
        const auto* target = Resources::System::GetInstance().GetResource<Texture>(texture);
        if (target == nullptr)
        {
            ADD_FAILURE() << "no texture " << texture;
            return value;
        }
        glGetTextureSubImage(target->GetHandle(), 0, x, y, 0, 1, 1, 1, GL_RGBA, GL_FLOAT, sizeof(value),
                             &value);
        return value;
    }

    static Camera& WorldCamera() { return *System::GetInstance().GetCamera("Camera_World"); }

    // The summed brightness of the picture's left and right halves.
    static std::pair<long, long> Halves(const Morvane::Texture::RgbImage& picture)
    {
        std::pair<long, long> sums{0, 0};
        for (std::size_t at = 0; at < picture.rgb.size(); ++at)
        {
            const bool left = (at / 3) % kWidth < kWidth / 2;
            (left ? sums.first : sums.second) += picture.rgb[at];
        }
        return sums;
    }
};

TEST_F(LightingGraphicsTest, AllZerosThenAmbientAndFogThenAPointLight)
{
    auto* sun = Create<LightingDirectionalGraphics>(Sun());
    ASSERT_NE(sun, nullptr);
    Settle();
    ASSERT_EQ(sun->GetLightDirections().size(), 3u);

    // Untouched, every lighting value is zero: only the three lights, and the sky as cleared.
    EXPECT_EQ(sun->GetAmbientColor(), glm::vec3(0.0f));
    EXPECT_EQ(sun->GetFogAmount(), 0.0f);
    EXPECT_TRUE(Testing::MatchesGolden(Frame(), "Lighting/AllZeros.png"));

    sun->SetAmbientColor({0.3f, 0.3f, 0.35f});
    sun->SetFogColor({0.7f, 0.72f, 0.75f});
    sun->SetFogAmount(0.08f);
    EXPECT_TRUE(Testing::MatchesGolden(Frame(), "Lighting/AmbientAndFog.png"));

    auto* light = Create<LightingPointGraphics>(PointLight("0;1;1"));
    ASSERT_NE(light, nullptr);
    Settle();
    EXPECT_EQ(light->GetAttenuation(), glm::vec3(0.0f));
    light->SetAttenuation({1.0f, 0.2f, 0.1f});
    EXPECT_TRUE(Testing::MatchesGolden(Frame(), "Lighting/PointLight.png"));
}

// The floor's top is y = 0: where the picture shows it, the G-buffer holds its view-space normal and
// the view-space point the pixel's centre looks at; the lit pixel is what the lighting formula gives.
TEST_F(LightingGraphicsTest, TheGBufferHoldsViewSpaceNormalsAndPositionsAndOnePixelMatchesTheFormula)
{
    auto* sun = Create<LightingDirectionalGraphics>(Sun());
    ASSERT_NE(sun, nullptr);
    Settle();
    sun->SetAmbientColor({0.2f, 0.25f, 0.3f});
    sun->SetFogColor({0.5f, 0.6f, 0.7f});
    sun->SetFogAmount(0.05f);
    Frame();

    const int x = 20;
    const int y = 10;
    const glm::mat4& view = WorldCamera().GetView();
    const glm::vec4 normal = Texel("Texture_NormalsInView", x, y);
    const glm::vec3 expectedNormal = glm::mat3(view) * glm::vec3(0.0f, 1.0f, 0.0f);
    for (int axis = 0; axis < 3; ++axis)
    {
        EXPECT_NEAR(normal[axis], expectedNormal[axis], 1e-3f) << axis;
    }
    const glm::vec4 position = Texel("Texture_PositionsInView", x, y);
    EXPECT_EQ(position.w, 1.0f);
    EXPECT_NEAR((glm::inverse(view) * glm::vec4(glm::vec3(position), 1.0f)).y, 0.0f, 1e-3f);
    const glm::vec4 clip = WorldCamera().GetProjection() * glm::vec4(glm::vec3(position), 1.0f);
    EXPECT_NEAR(clip.x / clip.w, (x + 0.5f) / kWidth * 2.0f - 1.0f, 1e-3f);
    EXPECT_NEAR(clip.y / clip.w, (y + 0.5f) / kHeight * 2.0f - 1.0f, 1e-3f);
    EXPECT_EQ(Texel("Texture_PositionsInView", 80, 95).w, 0.0f) << "the sky is no geometry";

    const glm::vec3 diffuse = Texel("Texture_Diffuse", x, y);
    const float weights[3] = {0.75f, 0.35f, 0.25f};
    float light = 0.0f;
    for (std::size_t index = 0; index < 3; ++index)
    {
        const glm::vec3 direction =
            glm::normalize(glm::vec3(view * glm::vec4(sun->GetLightDirections()[index], 0.0f)));
        light += weights[index] * std::max(glm::dot(glm::normalize(glm::vec3(normal)), direction), 0.0f);
    }
    const glm::vec3 lit = diffuse * (sun->GetAmbientColor() + light);
    const float fog = 1.0f - std::exp(-sun->GetFogAmount() * glm::length(glm::vec3(position)));
    const glm::vec3 expected = glm::mix(lit, sun->GetFogColor(), fog);
    const glm::vec4 actual = Texel("Texture_Lit", x, y);
    for (int channel = 0; channel < 3; ++channel)
    {
        EXPECT_NEAR(actual[channel], expected[channel], 2.0f / 255.0f) << channel;
    }
}

// Drawn through the GUI camera, the directions are still the world camera's view of the fixed
// directions, recomputed every draw.
TEST_F(LightingGraphicsTest, LightDirectionsFollowTheWorldCameraWhateverCameraDraws)
{
    auto* sun = Create<LightingDirectionalGraphics>(Sun());
    ASSERT_NE(sun, nullptr);
    Settle();
    auto* shader = Resources::System::GetInstance().GetResource<Shader>("Shader_DirectionalLight");
    ASSERT_NE(shader, nullptr);
    Camera* gui = System::GetInstance().GetCamera("Camera_GUI");
    for (const glm::vec3& eye : {glm::vec3(0.0f, 3.0f, 8.0f), glm::vec3(-6.0f, 2.0f, -3.0f)})
    {
        WorldCamera().SetPosition(eye);
        glUseProgram(shader->GetProgram());
        sun->SetUniforms(shader, gui);
        for (int index = 0; index < 3; ++index)
        {
            glm::vec3 uploaded{0.0f};
            const std::string name = "lightDirections[" + std::to_string(index) + "]";
            glGetUniformfv(shader->GetProgram(), glGetUniformLocation(shader->GetProgram(), name.c_str()),
                           &uploaded.x);
            const glm::vec3 expected =
                WorldCamera().GetView() *
                glm::vec4(sun->GetLightDirections()[static_cast<std::size_t>(index)], 0.0f);
            for (int axis = 0; axis < 3; ++axis)
            {
                EXPECT_NEAR(uploaded[axis], expected[axis], 1e-5f) << index << " " << axis;
            }
        }
    }
}

TEST_F(LightingGraphicsTest, MovingThePointLightsObjectMovesItsSpot)
{
    auto* light = Create<LightingPointGraphics>(PointLight("-3;1;0"));
    ASSERT_NE(light, nullptr);
    Settle();
    const auto [leftLit, rightDark] = Halves(Frame());
    EXPECT_GT(leftLit, 2 * rightDark);
    light->GetTransform()->SetPosition({3.0f, 1.0f, 0.0f});
    const auto [leftDark, rightLit] = Halves(Frame());
    EXPECT_GT(rightLit, 2 * leftDark);
}

// A shader of a single "LightDirection_View" would take one direction of three: an assertion.
TEST_F(LightingGraphicsTest, ADirectionUniformOfTheWrongSizeAsserts)
{
    auto* sun = Create<LightingDirectionalGraphics>(Sun());
    ASSERT_NE(sun, nullptr);
    Settle();
    const Testing::TempDirectory folder;
    folder.Write("Single.vert", "#version 450 core\nlayout(location = 0) in vec3 position;\n"
                                "void main() { gl_Position = vec4(position, 1.0); }\n");
    folder.Write("Single.frag", "#version 450 core\nuniform vec3 lightDirection;\nout vec4 colour;\n"
                                "void main() { colour = vec4(lightDirection, 1.0); }\n");
    Shader single("Single");
    ASSERT_TRUE(
        single.Parse(ParseXml(R"(<Shader><VertexShader path=")" + folder.Path() +
                              R"(Single.vert"/><FragmentShader path=")" + folder.Path() +
                              R"(Single.frag"/><Uniform name="lightDirection" purpose="LightDirection_View"/>
                                      </Shader>)")
                         .get()));
    ASSERT_TRUE(single.Initialize());
    glUseProgram(single.GetProgram());
    try
    {
        sun->SetUniforms(&single, &WorldCamera());
        ADD_FAILURE() << "no assertion";
    }
    catch (const AssertionFailure& failure)
    {
        EXPECT_TRUE(ContainsWrapped(failure.what(), "m_lightDirs.size() == (unsigned)currentUniform.m_size"))
            << failure.what();
    }
}

// A configuration without "Camera_World": the directional light parses, and serving its directions
// is the assertion rather than a null camera.
class LightingWithoutWorldCameraTest : public LightingGraphicsTest
{
protected:
    LightingWithoutWorldCameraTest()
    {
        m_graphics =
            R"(<GraphicsSystem><Camera name="Camera_GUI" mode="Orthogonal" position="0;0;1" target="0;0;0"
            width="160" height="100" nearPlane="0.1" farPlane="10"/>
            <Set name="World"/><Set name="Lights_Directional"/><Set name="Viewport"/></GraphicsSystem>)";
    }
};

TEST_F(LightingWithoutWorldCameraTest, ServingTheDirectionsAsserts)
{
    auto* blind = Create<LightingDirectionalGraphics>(Sun());
    ASSERT_NE(blind, nullptr);
    Settle();
    auto* shader = Resources::System::GetInstance().GetResource<Shader>("Shader_DirectionalLight");
    ASSERT_NE(shader, nullptr);
    glUseProgram(shader->GetProgram());
    try
    {
        blind->SetUniforms(shader, System::GetInstance().GetCamera("Camera_GUI"));
        ADD_FAILURE() << "no assertion";
    }
    catch (const AssertionFailure& failure)
    {
        EXPECT_TRUE(ContainsWrapped(failure.what(), "m_worldCamera")) << failure.what();
    }
}

TEST_F(LightingGraphicsTest, AMissingTextureFailsTheLightWithItsMessage)
{
    for (const auto& [attribute, message] :
         {std::pair{"ambientTerm", "Could not get ambient term"},
          std::pair{"deferredDiffuse", "Could not get deferred diffuse"},
          std::pair{"deferredNormals", "Could not get deferred normals"},
          std::pair{"deferredPositions", "Could not get deferred positions"}})
    {
        for (const char* type : {"GraphicsComponent_DirectionalLight", "GraphicsComponent_PointLight"})
        {
            std::string xml = std::string(R"(<Object name="Lamp"><Transform/><Graphics type=")") + type +
                              R"(" renderable="Mesh_Sphere" )" + kTextures + "/></Object>";
            const std::string named = std::string(attribute) + "=\"";
            const std::size_t at = xml.find(named) + named.size();
            xml.replace(at, xml.find('"', at) - at, "Texture_Missing");
            Testing::LogCapture capture;
            const Game::Object* lamp = Game::System::GetInstance().CreateObject(ParseXml(xml).get());
            EXPECT_TRUE(lamp == nullptr || lamp->GetComponent<Component>() == nullptr) << xml;
            EXPECT_TRUE(ContainsWrapped(capture.Text(), message)) << capture.Text();
            const std::string channel = std::string(type).ends_with("PointLight")
                                            ? "/LightingPointGraphics"
                                            : "/LightingDirectionalGraphics";
            EXPECT_TRUE(ContainsWrapped(capture.Text(), channel)) << capture.Text();
        }
    }
    Testing::LogCapture capture;
    const Game::Object* lamp =
        Game::System::GetInstance().CreateObject(ParseXml(R"(<Object name="Lamp"><Transform/>
        <Graphics type="GraphicsComponent_PointLight" renderable="Mesh_Missing"/></Object>)")
                                                     .get());
    EXPECT_TRUE(lamp == nullptr || lamp->GetComponent<Component>() == nullptr);
    EXPECT_TRUE(ContainsWrapped(capture.Text(), "Base could not parse")) << capture.Text();
}

// Saved and reloaded under another name, a light is the same light: saving the copy gives the same text.
TEST_F(LightingGraphicsTest, SavedLightsReloadWithTheirTexturesAndKind)
{
    for (const std::string& xml : {Sun(), PointLight("1;2;3")})
    {
        Game::Object* object = Game::System::GetInstance().CreateObject(ParseXml(xml).get());
        ASSERT_NE(object, nullptr);
        XMLParserData saved("Objects");
        ASSERT_TRUE(object->Save(&saved));
        const std::string text = saved.ToString();
        for (const char* expected :
             {R"(ambientTerm="Texture_Null")", R"(deferredDiffuse="Texture_Diffuse")",
              R"(deferredNormals="Texture_NormalsInView")", R"(deferredPositions="Texture_PositionsInView")"})
        {
            EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
        }
        XMLParserData reloaded;
        ASSERT_TRUE(reloaded.FromString(text));
        IParserData* element = reloaded.GetFirstChild();
        ASSERT_NE(element, nullptr);
        element->SetAttribute("name", "Copy");
        Game::Object* copy = Game::System::GetInstance().CreateObject(element);
        ASSERT_NE(copy, nullptr);
        const Component* copied = copy->GetComponent<Component>();
        const Component* original = object->GetComponent<Component>();
        ASSERT_NE(copied, nullptr);
        ASSERT_NE(original, nullptr);
        EXPECT_EQ(typeid(*copied), typeid(*original));
        XMLParserData again("Objects");
        ASSERT_TRUE(copy->Save(&again));
        std::string resaved = again.ToString();
        resaved.replace(resaved.find("Copy"), 4, object->GetName());
        EXPECT_EQ(resaved, text);
        Game::System::GetInstance().Release();
    }
}
// A room hands its lighting to its two lights when it starts; a missing light fails it, named.
TEST_F(LightingGraphicsTest, ARoomsLightingReachesItsLights)
{
    auto* sun = Create<LightingDirectionalGraphics>(Sun());
    auto* light = Create<LightingPointGraphics>(PointLight("0;1;0"));
    ASSERT_NE(sun, nullptr);
    ASSERT_NE(light, nullptr);
    Game::Object owner("Room");
    RoomLighting lighting(&owner);
    ASSERT_TRUE(lighting.Parse(ParseXml(R"(<Behavior type="BehaviorComponent_RoomLighting" fog="0.1;0.2;0.3"
        fogAmount="0.04" ambient="0.5;0.4;0.3" attenuation="1;0.5;0.25"/>)")
                                   .get()));
    ASSERT_TRUE(lighting.Initialize());
    EXPECT_EQ(sun->GetFogColor(), glm::vec3(0.1f, 0.2f, 0.3f));
    EXPECT_EQ(sun->GetFogAmount(), 0.04f);
    EXPECT_EQ(sun->GetAmbientColor(), glm::vec3(0.5f, 0.4f, 0.3f));
    EXPECT_EQ(light->GetAttenuation(), glm::vec3(1.0f, 0.5f, 0.25f));

    RoomLighting dark(&owner);
    ASSERT_TRUE(dark.Parse(ParseXml(R"(<Behavior pointLight="Lamp"/>)").get()));
    Testing::LogCapture capture;
    EXPECT_FALSE(dark.Initialize());
    EXPECT_TRUE(ContainsWrapped(capture.Text(), "Could not get the point light of 'Lamp'")) << capture.Text();
}
class RenderTargetsTest : public Testing::GlTest
{
protected:
    const Testing::GameFolderAsLocalFolder m_localFolder;
};

// The game's G-buffer: the formats the lights read, at 1280 x 800, about 30 MiB as OpenGL stores it.
TEST_F(RenderTargetsTest, TheGameGBufferHasItsFormatsAndSize)
{
    Testing::LoadOpenGLConstants();
    Testing::LoadResourcePacks({"RenderTargets.xml"});
    Resources::System& resources = Resources::System::GetInstance();
    ASSERT_TRUE(resources.Initialize());
    double bytes = 0.0;
    for (const auto& [name, format, bits] :
         {std::tuple{"Texture_Diffuse", GL_RGBA8, 32}, std::tuple{"Texture_NormalsInView", GL_RGBA16F, 64},
          std::tuple{"Texture_PositionsInView", GL_RGBA32F, 128},
          std::tuple{"Texture_WorldDepth", GL_DEPTH_COMPONENT24, 24}})
    {
        const auto* texture = resources.GetResource<Texture>(name);
        ASSERT_NE(texture, nullptr) << name;
        GLint internal = 0;
        glGetTextureLevelParameteriv(texture->GetHandle(), 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
        EXPECT_EQ(internal, static_cast<GLint>(format)) << name;
        EXPECT_EQ(texture->GetWidth(), 1280u) << name;
        EXPECT_EQ(texture->GetHeight(), 800u) << name;
        EXPECT_EQ(texture->GetStoredBytes(), std::size_t{1280 * 800} * bits / 8) << name;
        bytes += static_cast<double>(texture->GetStoredBytes());
    }
    EXPECT_NEAR(bytes / (1024.0 * 1024.0), 30.3, 0.1);
    const auto* white = resources.GetResource<Texture>("Texture_Null");
    ASSERT_NE(white, nullptr);
    glm::vec4 texel{0.0f};
    glGetTextureImage(white->GetHandle(), 0, GL_RGBA, GL_FLOAT, sizeof(texel), &texel);
    EXPECT_EQ(texel, glm::vec4(1.0f));
    for (const char* name : {"FrameBuffer_World", "FrameBuffer_Lit"})
    {
        const auto* frameBuffer = resources.GetResource<FrameBuffer>(name);
        ASSERT_NE(frameBuffer, nullptr) << name;
        EXPECT_EQ(glCheckNamedFramebufferStatus(frameBuffer->GetHandle(), GL_FRAMEBUFFER),
                  static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE))
            << name;
    }
    resources.Release();
}
} // namespace
} // namespace Morvane::Graphics
