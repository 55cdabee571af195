#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Parsing/FileParser/FileParser.h"
#include "Resources/ResourceSystem.h"
#include "Support/GlTest.h"
#include "Support/GraphicsData.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/Pass/Pass.h"
#include "System/PathWrapper/PathWrapper.h"
#include "Texture/FrameBuffer.h"

#include <SDL.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>

namespace Morvane::Graphics
{
namespace
{
using Testing::LogCapture;
using Testing::NearColour;
using Testing::ParseXml;

// A solid-colour shader and a square of side 1 centred on the origin; the orthogonal camera "Eye"
// shows 64 x 64 units of the plane z = 0.
class PassTest : public Testing::GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        Write("solid.vert", "#version 450 core\nlayout(location = 0) in vec3 position;\nuniform mat4 mvp;\n"
                            "void main() { gl_Position = mvp * vec4(position, 1.0); }\n");
        Write("solid.frag", "#version 450 core\nuniform vec4 colour;\nout vec4 result;\n"
                            "void main() { result = colour; }\n");
        Write("solid.xml", R"(<Shader><VertexShader path="solid.vert"/><FragmentShader path="solid.frag"/>
            <Uniform name="mvp" purpose="ModelViewProjectionMatrix"/><Uniform name="colour" purpose="DiffuseColor"/></Shader>)");
        ASSERT_TRUE(Resources::System::GetInstance().Parse(ParseXml(R"(<ResourceSystem>
            <Shader name="Solid" path=")" + m_folder.Path() + R"(/solid.xml"/>
            <Mesh name="Square"><Buffer><Data>-0.5 -0.5 0 0.5 -0.5 0 0.5 0.5 0 -0.5 -0.5 0 0.5 0.5 0 -0.5 0.5 0</Data>
                <AttributeDescription location="0" normalise="false"/></Buffer></Mesh>
            </ResourceSystem>)")
                                                               .get()));
    }

    void TearDown() override
    {
        m_objects.clear();
        GlTest::TearDown();
    }

    void Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(m_folder.Path() + "/" + name) << text;
    }

    bool Configure(const std::string& passes)
    {
        return m_system.Parse(ParseXml(R"(<GraphicsSystem>
            <Camera name="Eye" mode="Orthogonal" position="0;0;10" target="0;0;0" width="64" height="64"
                    nearPlane="0.1" farPlane="100" debugCamera="true"/>
            <Set name="World"/><Set name="Other"/>
            <PassConfiguration>)" + passes +
                                       R"(</PassConfiguration></GraphicsSystem>)")
                                  .get());
    }

    // An object with a transform and the graphics element `graphics` (attributes only).
    Component* AddObject(const std::string& name, const std::string& transform, const std::string& graphics)
    {
        auto object = std::make_unique<Game::Object>(name);
        const auto data =
            ParseXml("<Object><Transform " + transform + "/><Graphics " + graphics + "/></Object>");
        object->Parse(data.get());
        Component* component = object->GetComponent<Component>();
        m_objects.push_back(std::move(object));
        return component;
    }

    void Frame() { m_system.Update(0.016f); }

    System& m_system = System::GetInstance();
    Testing::TempDirectory m_folder;
    std::vector<std::unique_ptr<Game::Object>> m_objects;
};

const char* const kDrawWorld = R"(<Pass name="Main">
    <Command type="Viewport" width="64" height="64"/>
    <Command type="ClearColorBuffer" color="0;0;1;1"/>
    <Command type="Render" set="World" shader="Solid" camera="Eye"/></Pass>)";

TEST_F(PassTest, ComponentsOfASetAreDrawnByTheRenderCommandAndInvisibleOnesSkipped)
{
    ASSERT_TRUE(Configure(kDrawWorld));
    ASSERT_NE(AddObject("Red", R"(position="-16;0;0" scale="16;16;1")",
                        R"(renderable="Square" diffuseColor="1;0;0;1" renderSets="World")"),
              nullptr);
    ASSERT_NE(AddObject("Hidden", R"(position="16;0;0" scale="16;16;1")",
                        R"(renderable="Square" diffuseColor="0;1;0;1" visible="false" renderSets="World")"),
              nullptr);
    Frame();
    // The frame was swapped: draw again and read before the next swap through the frame hook.
    glm::u8vec4 left{};
    glm::u8vec4 right{};
    m_system.SetFrameHook(
        [&]
        {
            left = ReadPixel(16, 32);
            right = ReadPixel(48, 32);
        });
    Frame();
    m_system.SetFrameHook({});
    EXPECT_TRUE(NearColour(left, {255, 0, 0, 255}));
    EXPECT_TRUE(NearColour(right, {0, 0, 255, 255}));
}

// Each Render command draws its own set: a component in both is drawn by both, one in a single set only
// by its command (the second viewport covers the right half, so what it draws shows there).
TEST_F(PassTest, TwoSetsAreDrawnByTheirOwnRenderCommands)
{
    ASSERT_TRUE(Configure(R"(<Pass name="Main">
        <Command type="Viewport" width="64" height="64"/>
        <Command type="ClearColorBuffer" color="0;0;1;1"/>
        <Command type="Render" set="World" shader="Solid" camera="Eye"/>
        <Command type="Viewport" startX="32" startY="0" width="32" height="64"/>
        <Command type="Render" set="Other" shader="Solid" camera="Eye"/></Pass>)"));
    ASSERT_NE(AddObject("Both", R"(position="0;16;0" scale="64;16;1")",
                        R"(renderable="Square" diffuseColor="1;0;0;1" renderSets="World;Other")"),
              nullptr);
    ASSERT_NE(AddObject("WorldOnly", R"(position="-16;-16;0" scale="16;16;1")",
                        R"(renderable="Square" diffuseColor="0;1;0;1" renderSets="World")"),
              nullptr);
    ASSERT_NE(AddObject("OtherOnly", R"(position="0;-16;0" scale="16;16;1")",
                        R"(renderable="Square" diffuseColor="1;1;0;1" renderSets="Other")"),
              nullptr);
    std::array<glm::u8vec4, 4> pixels{};
    m_system.SetFrameHook(
        [&] {
            pixels = {ReadPixel(16, 48), ReadPixel(16, 16), ReadPixel(48, 16), ReadPixel(56, 48)};
        });
    Frame();
    m_system.SetFrameHook({});
    EXPECT_TRUE(NearColour(pixels[0], {255, 0, 0, 255})) << "drawn by the first command";
    EXPECT_TRUE(NearColour(pixels[1], {0, 255, 0, 255})) << "in the first set only";
    // The second command's viewport squeezes the 64 units across into its 32 pixels: the yellow square
    // at the centre lands at 48, and the red band again across the top of the right half.
    EXPECT_TRUE(NearColour(pixels[2], {255, 255, 0, 255})) << "in the second set only";
    EXPECT_TRUE(NearColour(pixels[3], {255, 0, 0, 255})) << "drawn by the second command too";
}

TEST_F(PassTest, ABrokenCommandIsDroppedWithItsMessageAndTheRestOfThePassDraws)
{
    LogCapture log;
    ASSERT_TRUE(Configure(R"(<Pass name="Main">
        <Command type="Viewport" width="64" height="64"/>
        <Command type="ClearColorBuffer" color="0;1;0;1"/>
        <Command type="render" set="World" shader="Solid" camera="Eye"/>
        <Command/>
        <Command type="Render" set="World" shader="Solid" camera="Nobody"/>
        <Command type="Render" set="Nowhere" shader="Solid" camera="Eye"/>
        <Command type="Render" set="World" shader="Missing" camera="Eye"/>
        <Command type="Render" set="World" shader="Solid" camera="Eye" fragmentSubroutine="Shade"/>
        <Command type="SortSet" set="World" referenceCamera="Nobody"/>
        <Command type="DebugPass" shader="Missing"/>
        <Command type="SetFrameBuffer" frameBuffer="Missing"/>
        <Command type="Viewport" texture="Missing"/>
        <Unknown/></Pass>)"));
    for (const char* message :
         {"Unknown command type 'render'", "No command type", "Could not set the render camera 'Nobody'",
          "Could not set the render set 'Nowhere'", "Could not set the render shader 'Missing'",
          "Could not find subroutine 'Shade' in fragment shader", "Could not get camera 'Nobody'",
          "Could not get render shader 'Missing'", "Could not get frame buffer 'Missing'",
          "Could not get relative texture 'Missing'", "Could not initialize the command 'Commands::Render'",
          "Unknown parser element 'Unknown'"})
    {
        EXPECT_TRUE(log.Contains(message)) << message;
    }
    ASSERT_NE(m_system.GetPass("Main"), nullptr);
    EXPECT_EQ(m_system.GetPass("Main")->GetCommands().size(), 2u);
    glm::u8vec4 pixel{};
    m_system.SetFrameHook([&] { pixel = ReadPixel(32, 32); });
    Frame();
    m_system.SetFrameHook({});
    EXPECT_TRUE(NearColour(pixel, {0, 255, 0, 255}));
    TakeGlErrors();
}

TEST_F(PassTest, ADisabledPassDrawsNothingUntilEnabledByName)
{
    ASSERT_TRUE(Configure(R"(<Pass name="Clear"><Command type="Viewport" width="64" height="64"/>
        <Command type="ClearColorBuffer" color="0;0;0;1"/></Pass>
        <Pass name="Conditional" enabled="false"><Command type="ClearColorBuffer" color="1;1;0;1"/></Pass>)"));
    glm::u8vec4 pixel{};
    m_system.SetFrameHook([&] { pixel = ReadPixel(1, 1); });
    Frame();
    EXPECT_TRUE(NearColour(pixel, {0, 0, 0, 255}));
    m_system.GetPass("Conditional")->enabled = true;
    Frame();
    m_system.SetFrameHook({});
    EXPECT_TRUE(NearColour(pixel, {255, 255, 0, 255}));
}

TEST_F(PassTest, ClearingDepthWorksWhileDepthWritesAreOff)
{
    ASSERT_TRUE(Configure(R"(<Pass name="Main"><Command type="Depth" enabled="false" write="false"/>
        <Command type="ClearDepthBuffer" depth="0.25"/></Pass>)"));
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    float depth = 0.0f;
    GLboolean writes = GL_TRUE;
    m_system.SetFrameHook(
        [&]
        {
            glReadPixels(0, 0, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
            glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
        });
    Frame();
    m_system.SetFrameHook({});
    EXPECT_NEAR(depth, 0.25f, 1e-3f);
    EXPECT_EQ(writes, GL_FALSE);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(PassTest, AComponentTwiceInASetLeavesEveryOccurrenceWhenDeleted)
{
    ASSERT_TRUE(Configure(kDrawWorld));
    Component* twice = AddObject("Twice", "", R"(renderable="Square" renderSets="World;World">
        <RenderSet set="Other"/><Bogus/></Graphics><Graphics renderable="Square")");
    ASSERT_NE(twice, nullptr);
    EXPECT_EQ(m_system.GetRenderSet("World")->size(), 2u);
    EXPECT_EQ(m_system.GetRenderSetsOf(twice), (std::vector<std::string>{"Other", "World"}));
    m_system.DeleteComponent(twice);
    EXPECT_TRUE(m_system.GetRenderSet("World")->empty());
    EXPECT_TRUE(m_system.GetRenderSet("Other")->empty());
    // Drawing the set afterwards must not touch the destroyed component (ASan).
    Frame();
}

TEST_F(PassTest, ATypedComponentWithoutAFactoryIsNotCreated)
{
    const std::size_t before = m_system.GetComponents().size();
    Game::Object owner("Owner");
    EXPECT_EQ(
        m_system.CreateComponent(&owner, ParseXml(R"(<Graphics type="GraphicsComponent_Text"/>)").get()),
        nullptr);
    EXPECT_EQ(m_system.GetComponents().size(), before);
}

TEST_F(PassTest, ComponentParseMessagesNameTheOwner)
{
    ASSERT_TRUE(Configure(""));
    LogCapture log;
    EXPECT_EQ(AddObject("A", "", R"(renderable="Nothing")"), nullptr);
    EXPECT_EQ(AddObject("B", "", R"(renderable="Square" texture="Nothing")"), nullptr);
    EXPECT_EQ(AddObject("C", "", R"(renderable="Square" shader="Nothing")"), nullptr);
    EXPECT_NE(AddObject("D", "", R"(renderable="Square" renderSets="Nowhere")"), nullptr);
    EXPECT_TRUE(log.Contains("Could not get the renderable 'Nothing'"));
    EXPECT_TRUE(log.Contains("Could not get the texture 'Nothing'"));
    EXPECT_TRUE(log.Contains("Could not get preferred shader"));
    EXPECT_TRUE(log.Contains("Set 'Nowhere' not found"));
    EXPECT_TRUE(log.Contains("A/Graphics"));
}

TEST_F(PassTest, SaveKeepsColourWithAlphaRenderableVisibilityAndSets)
{
    ASSERT_TRUE(Configure(""));
    Component* component = AddObject(
        "Saved", "",
        R"(renderable="Square" diffuseColor="1;0.5;0.25;0.5" visible="false" renderSets="World;Other")");
    ASSERT_NE(component, nullptr);
    const auto root = ParseXml("<Root/>");
    ASSERT_TRUE(component->Save(root.get()));
    const IParserData* saved = root->GetFirstChild();
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->GetAttribute("renderable", ""), "Square");
    EXPECT_EQ(saved->GetAttribute("renderSets", ""), "Other;World");
    EXPECT_FALSE(saved->GetAttributeBool("visible", true));
    Component* reloaded =
        AddObject("Reloaded", "", saved->ToString().substr(10, saved->ToString().rfind("/>") - 10));
    ASSERT_NE(reloaded, nullptr);
    EXPECT_FLOAT_EQ(reloaded->GetDiffuseColor().a, 0.5f);
    EXPECT_FALSE(reloaded->IsVisible());
    EXPECT_EQ(m_system.GetRenderSetsOf(reloaded), (std::vector<std::string>{"Other", "World"}));
}

TEST_F(PassTest, CullingUsesTheMeshSizeAndNegativeScales)
{
    ASSERT_TRUE(Configure(kDrawWorld));
    Component* mirrored = AddObject("Mirrored", R"(position="40;0;0" scale="-10;-10;-10")",
                                    R"(renderable="Square" renderSets="World")");
    ASSERT_NE(mirrored, nullptr);
    // Half the square's diagonal, sqrt(0.5), is below 1: the box of the largest scale holds.
    EXPECT_FLOAT_EQ(mirrored->GetCullingRadius(), 10.0f);
}

TEST_F(PassTest, SortSetOrdersByDepthStablyWithNaNLast)
{
    ASSERT_TRUE(
        Configure(R"(<Pass name="Sort"><Command type="SortSet" set="World" referenceCamera="Eye"/></Pass>)"));
    Component* far = AddObject("Far", R"(position="0;0;5")", R"(renderable="Square" renderSets="World")");
    Component* odd = AddObject("Odd", "", R"(renderable="Square" renderSets="World")");
    Component* nearFirst =
        AddObject("Near1", R"(position="0;0;-5")", R"(renderable="Square" renderSets="World")");
    Component* nearSecond =
        AddObject("Near2", R"(position="0;0;-5")", R"(renderable="Square" renderSets="World")");
    odd->GetTransform()->SetPosition({0.0f, 0.0f, std::numeric_limits<float>::quiet_NaN()});
    Frame();
    EXPECT_EQ(*m_system.GetRenderSet("World"), (System::RenderSet{nearFirst, nearSecond, far, odd}));
}

TEST_F(PassTest, SubroutinesAreKeptAfterAComponentsOwnShaderAndCulledComponentsAreNotDrawn)
{
    Write("pick.frag",
          "#version 450 core\nsubroutine vec4 Shade();\n"
          "layout(index = 0) subroutine(Shade) vec4 Red() { return vec4(1, 0, 0, 1); }\n"
          "layout(index = 1) subroutine(Shade) vec4 Green() { return vec4(0, 1, 0, 1); }\n"
          "subroutine uniform Shade shade;\nout vec4 result;\nvoid main() { result = shade(); }\n");
    Write("pick.xml", R"(<Shader><VertexShader path="solid.vert"/><FragmentShader path="pick.frag"/>
        <Uniform name="mvp" purpose="ModelViewProjectionMatrix"/></Shader>)");
    ASSERT_TRUE(
        Resources::System::GetInstance().Parse(ParseXml(R"(<ResourceSystem><Shader name="Pick" path=")" +
                                                        m_folder.Path() + R"(/pick.xml"/></ResourceSystem>)")
                                                   .get()));
    ASSERT_TRUE(Configure(R"(<Pass name="Main"><Command type="Viewport" width="64" height="64"/>
        <Command type="ClearColorBuffer" color="0;0;0;1"/>
        <Command type="Render" set="World" shader="Pick" camera="Eye" fragmentSubroutine="Green"/></Pass>)"));
    const char* const square = R"(renderable="Square" renderSets="World")";
    ASSERT_NE(AddObject("First", R"(position="-16;0;0" scale="8;8;1")", square), nullptr);
    ASSERT_NE(AddObject("Own", R"(position="0;0;0" scale="8;8;1")",
                        R"(renderable="Square" shader="Solid" diffuseColor="0;0;1;1" renderSets="World")"),
              nullptr);
    ASSERT_NE(AddObject("After", R"(position="16;0;0" scale="8;8;1")", square), nullptr);
    ASSERT_NE(AddObject("Behind", R"(position="0;0;50" scale="8;8;1")", square), nullptr);
    ASSERT_NE(AddObject("Straddling", R"(position="0;40;0" scale="16;16;1")", square), nullptr);
    std::array<glm::u8vec4, 3> pixels{};
    GLuint primitives = 0;
    GLuint query = 0;
    glGenQueries(1, &query);
    m_system.SetFrameHook(
        [&]
        {
            glEndQuery(GL_PRIMITIVES_GENERATED);
            glGetQueryObjectuiv(query, GL_QUERY_RESULT, &primitives);
            pixels = {ReadPixel(16, 32), ReadPixel(32, 32), ReadPixel(48, 32)};
        });
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    Frame();
    m_system.SetFrameHook({});
    glDeleteQueries(1, &query);
    EXPECT_TRUE(NearColour(pixels[0], {0, 255, 0, 255}));
    EXPECT_TRUE(NearColour(pixels[1], {0, 0, 255, 255}));
    EXPECT_TRUE(NearColour(pixels[2], {0, 255, 0, 255}));
    // Three squares in view and the straddling one; the one behind the camera is culled.
    EXPECT_EQ(primitives, 8u);
}

// Another shader for a pass's Render commands keeps their subroutines by name (here at another index);
// a shader without them is refused and the command draws as before.
TEST_F(PassTest, ASwitchedShaderKeepsTheSubroutineByNameOrIsRefused)
{
    const std::string shade = "#version 450 core\nsubroutine vec4 Shade();\n";
    const std::string tail =
        "subroutine uniform Shade shade;\nout vec4 result;\nvoid main() { result = shade(); }\n";
    Write("pick.frag",
          shade + "layout(index = 0) subroutine(Shade) vec4 Red() { return vec4(1, 0, 0, 1); }\n" +
              "layout(index = 1) subroutine(Shade) vec4 Green() { return vec4(0, 1, 0, 1); }\n" + tail);
    Write("swapped.frag",
          shade + "layout(index = 1) subroutine(Shade) vec4 Red() { return vec4(1, 0, 0, 1); }\n" +
              "layout(index = 0) subroutine(Shade) vec4 Green() { return vec4(0, 0.5, 0, 1); }\n" + tail);
    for (const char* name : {"pick", "swapped"})
    {
        Write(std::string(name) + ".xml",
              std::string(R"(<Shader><VertexShader path="solid.vert"/><FragmentShader path=")") + name +
                  R"(.frag"/><Uniform name="mvp" purpose="ModelViewProjectionMatrix"/></Shader>)");
    }
    ASSERT_TRUE(Resources::System::GetInstance().Parse(
        ParseXml(R"(<ResourceSystem><Shader name="Pick" path=")" + m_folder.Path() +
                 R"(/pick.xml"/><Shader name="Swapped" path=")" + m_folder.Path() +
                 R"(/swapped.xml"/></ResourceSystem>)")
            .get()));
    ASSERT_TRUE(Configure(R"(<Pass name="Main"><Command type="Viewport" width="64" height="64"/>
        <Command type="ClearColorBuffer" color="0;0;0;1"/>
        <Command type="Render" set="World" shader="Pick" camera="Eye" fragmentSubroutine="Green"/></Pass>)"));
    ASSERT_NE(
        AddObject("Square", R"(position="0;0;0" scale="8;8;1")", R"(renderable="Square" renderSets="World")"),
        nullptr);
    glm::u8vec4 pixel{};
    m_system.SetFrameHook([&] { pixel = ReadPixel(32, 32); });
    Pass* pass = m_system.GetPass("Main");
    ASSERT_NE(pass, nullptr);

    ASSERT_TRUE(pass->SetRenderShader("Swapped"));
    Frame();
    EXPECT_TRUE(NearColour(pixel, {0, 128, 0, 255}));
    {
        Testing::LogCapture capture;
        EXPECT_FALSE(pass->SetRenderShader("Solid"));
        EXPECT_TRUE(capture.ContainsWrapped("Could not find subroutine 'Green' in fragment shader"))
            << capture.Text();
    }
    Frame();
    EXPECT_TRUE(NearColour(pixel, {0, 128, 0, 255}));
    m_system.SetFrameHook({});
}

TEST_F(PassTest, ALargeMeshAtTheEdgeIsDrawnAndIgnoreFrustumDrawsWhatIsOutOfView)
{
    ASSERT_TRUE(Resources::System::GetInstance().Parse(ParseXml(R"(<ResourceSystem><Mesh name="Large"><Buffer>
        <Data>-10 -10 0 10 -10 0 10 10 0 -10 -10 0 10 10 0 -10 10 0</Data>
        <AttributeDescription location="0" normalise="false"/></Buffer></Mesh></ResourceSystem>)")
                                                           .get()));
    ASSERT_TRUE(Configure(std::string(kDrawWorld) + R"(<Pass name="Ignoring" enabled="false">
        <Command type="Render" set="Other" shader="Solid" camera="Eye" ignoreFrustum="true"/></Pass>)"));
    // Centred 8 units right of the view, the large square still reaches 2 units into it.
    ASSERT_NE(AddObject("Edge", R"(position="40;0;0")",
                        R"(renderable="Large" diffuseColor="1;0;0;1" renderSets="World")"),
              nullptr);
    ASSERT_NE(AddObject("Beyond", R"(position="40;20;0")", R"(renderable="Square" renderSets="World")"),
              nullptr);
    ASSERT_NE(AddObject("Behind", R"(position="0;0;50")", R"(renderable="Square" renderSets="Other")"),
              nullptr);
    ASSERT_NE(AddObject("Aside", R"(position="500;0;0")", R"(renderable="Square" renderSets="Other")"),
              nullptr);
    GLuint query = 0;
    glGenQueries(1, &query);
    const auto primitives = [&]
    {
        GLuint count = 0;
        m_system.SetFrameHook(
            [&]
            {
                glEndQuery(GL_PRIMITIVES_GENERATED);
                glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
            });
        glBeginQuery(GL_PRIMITIVES_GENERATED, query);
        Frame();
        m_system.SetFrameHook({});
        return count;
    };
    EXPECT_EQ(primitives(), 2u);
    glm::u8vec4 edge{};
    m_system.SetFrameHook([&] { edge = ReadPixel(63, 32); });
    Frame();
    EXPECT_TRUE(NearColour(edge, {255, 0, 0, 255}));
    m_system.GetPass("Main")->enabled = false;
    m_system.GetPass("Ignoring")->enabled = true;
    EXPECT_EQ(primitives(), 4u);
    glDeleteQueries(1, &query);
}

TEST_F(PassTest, AComponentWhoseTextureIsStillLoadingIsSkipped)
{
    Resources::System& resources = Resources::System::GetInstance();
    resources.Initialize();
    ASSERT_TRUE(
        resources.Parse(ParseXml(R"(<ResourceSystem><Texture name="Later" path=")" + Testing::DataFolder() +
                                 R"(Textures/White.png" multiThreaded="true"/></ResourceSystem>)")
                            .get()));
    ASSERT_TRUE(Configure(kDrawWorld));
    Component* component =
        AddObject("Textured", R"(scale="64;64;1")",
                  R"(renderable="Square" texture="Later" diffuseColor="1;0;0;1" renderSets="World")");
    ASSERT_NE(component, nullptr);
    glm::u8vec4 pixel{};
    m_system.SetFrameHook([&] { pixel = ReadPixel(32, 32); });
    // The texture is made on the main thread by the resource system's Update, not before.
    EXPECT_FALSE(component->IsReady());
    Frame();
    EXPECT_TRUE(NearColour(pixel, {0, 0, 255, 255}));
    for (int step = 0; step < 400 && !component->IsReady(); ++step)
    {
        SDL_Delay(5);
        resources.Update(0.016f);
    }
    ASSERT_TRUE(component->IsReady());
    Frame();
    m_system.SetFrameHook({});
    EXPECT_TRUE(NearColour(pixel, {255, 0, 0, 255}));
}

TEST_F(PassTest, TheViewportLimitsDrawsButNotClears)
{
    ASSERT_TRUE(Configure(R"(<Pass name="Main"><Command type="Viewport" width="32" height="32"/>
        <Command type="ClearColorBuffer" color="0;0;1;1"/>
        <Command type="Render" set="World" shader="Solid" camera="Eye"/></Pass>)"));
    ASSERT_NE(AddObject("Everywhere", R"(scale="64;64;1")",
                        R"(renderable="Square" diffuseColor="1;0;0;1" renderSets="World")"),
              nullptr);
    ClearTo(glm::vec4(0, 0, 0, 1));
    std::array<glm::u8vec4, 2> pixels{};
    m_system.SetFrameHook([&] { pixels = {ReadPixel(16, 16), ReadPixel(48, 48)}; });
    Frame();
    m_system.SetFrameHook({});
    EXPECT_TRUE(NearColour(pixels[0], {255, 0, 0, 255}));
    EXPECT_TRUE(NearColour(pixels[1], {0, 0, 255, 255}));
}

TEST_F(PassTest, SetFrameBufferDrawsIntoItsTextureAndBackIntoTheWindow)
{
    ASSERT_TRUE(Resources::System::GetInstance().Parse(ParseXml(R"(<ResourceSystem>
        <Texture name="Colour" width="16" height="8"/>
        <FrameBuffer name="Target"><Output texture="Colour" attachment="GL_COLOR_ATTACHMENT0"/></FrameBuffer>
        </ResourceSystem>)")
                                                           .get()));
    ASSERT_TRUE(Configure(R"(<Pass name="Off"><Command type="SetFrameBuffer" frameBuffer="Target"/>
        <Command type="Viewport" texture="Colour"/><Command type="ClearColorBuffer" color="1;0;0;1"/>
        <Command type="Render" set="World" shader="Solid" camera="Eye"/></Pass>
        <Pass name="Window"><Command type="SetFrameBuffer"/><Command type="Viewport" width="64" height="64"/>
        <Command type="ClearColorBuffer" color="0;0;1;1"/></Pass>)"));
    // Half the view: the left half of the texture.
    ASSERT_NE(AddObject("Left", R"(position="-16;0;0" scale="32;64;1")",
                        R"(renderable="Square" diffuseColor="0;1;0;1" renderSets="World")"),
              nullptr);
    const auto* target = Resources::System::GetInstance().GetResource<FrameBuffer>("Target");
    ASSERT_NE(target, nullptr);
    std::array<glm::u8vec4, 3> pixels{};
    GLint bound = -1;
    m_system.SetFrameHook(
        [&]
        {
            glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
            pixels[0] = ReadPixel(32, 32);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, target->GetHandle());
            pixels[1] = ReadPixel(4, 4);
            pixels[2] = ReadPixel(12, 4);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        });
    Frame();
    m_system.SetFrameHook({});
    EXPECT_EQ(bound, 0);
    EXPECT_TRUE(NearColour(pixels[0], {0, 0, 255, 255}));
    EXPECT_TRUE(NearColour(pixels[1], {0, 255, 0, 255}));
    EXPECT_TRUE(NearColour(pixels[2], {255, 0, 0, 255}));
}

TEST_F(PassTest, StateCommandsSetWhatTheySayAndViewportPrefersTheTextureThenTheCamera)
{
    ASSERT_TRUE(Resources::System::GetInstance().Parse(
        ParseXml(R"(<ResourceSystem><Texture name="Target" width="16" height="8"/></ResourceSystem>)")
            .get()));
    ASSERT_TRUE(Configure(R"(<Pass name="Default"><Command type="Viewport"/></Pass>
        <Pass name="Camera" enabled="false"><Command type="Viewport" camera="Eye" width="5" height="5"/></Pass>
        <Pass name="Texture" enabled="false"><Command type="Viewport" camera="Eye" texture="Target" startX="2"/></Pass>
        <Pass name="State"><Command type="Depth" enabled="false" write="true"/>
            <Command type="CullFace" cullMode="GL_FRONT"/>
            <Command type="Blend" sourceRGB="GL_SRC_ALPHA" destAlpha="GL_ONE"/></Pass>)"));
    const auto viewport = [this]
    {
        std::array<GLint, 4> box{};
        m_system.SetFrameHook([&] { glGetIntegerv(GL_VIEWPORT, box.data()); });
        Frame();
        m_system.SetFrameHook({});
        return box;
    };
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 320, 320}));
    m_system.GetPass("Camera")->enabled = true;
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{0, 0, 64, 64}));
    m_system.GetPass("Texture")->enabled = true;
    EXPECT_EQ(viewport(), (std::array<GLint, 4>{2, 0, 16, 8}));
    GLboolean writes = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &writes);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(writes, GL_TRUE);
    GLint value = 0;
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_FRONT);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    glGetIntegerv(GL_BLEND_SRC_RGB, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST_RGB, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &value);
    EXPECT_EQ(value, GL_ONE);
}

TEST_F(PassTest, ANewConfigurationReplacesThePasses)
{
    ASSERT_TRUE(Configure(kDrawWorld));
    ASSERT_NE(m_system.GetPass("Main"), nullptr);
    ASSERT_TRUE(m_system.Parse(ParseXml(R"(<GraphicsSystem><PassConfiguration><Section>
        <Pass name="Next"/></Section></PassConfiguration></GraphicsSystem>)")
                                   .get()));
    EXPECT_EQ(m_system.GetPass("Main"), nullptr);
    EXPECT_NE(m_system.GetPass("Next"), nullptr);
}
} // namespace
} // namespace Morvane::Graphics

namespace Morvane::Graphics
{
namespace
{
// The first room as the game starts it: its graphics and game configurations drawn once.
class FirstRoomTest : public Testing::GlTest
{
};

TEST_F(FirstRoomTest, ShowsSkyAboveAndTheLitFloorBelow)
{
    Testing::LoadOpenGLConstants();
    const std::string data = Testing::DataFolder();
    const Testing::GameFolderAsLocalFolder folder;
    PathWrapper::GetInstance().AddPath("ConfigurationFolder", data + "Configuration/");
    System& system = System::GetInstance();
    system.m_customComponentFactory = &CreateCustomGraphicsComponent;
    system.m_customUniformIdentifier = &IdentifyCustomPurpose;
    FileParser resources;
    Resources::System& resourceSystem = Resources::System::GetInstance();
    ASSERT_TRUE(resourceSystem.Parse(resources.Parse(data + "Resources/Meshes.xml")));
    FileParser shaders;
    ASSERT_TRUE(resourceSystem.Parse(shaders.Parse(data + "Resources/Shaders.xml")));
    FileParser fonts;
    ASSERT_TRUE(resourceSystem.Parse(fonts.Parse(data + "Resources/Fonts.xml")));
    FileParser targets;
    ASSERT_TRUE(resourceSystem.Parse(targets.Parse(data + "Resources/RenderTargets.xml")));
    resourceSystem.Initialize();
    ASSERT_TRUE(
        system.Parse(ParseXml(R"(<GraphicsSystem path="$(ConfigurationFolder)Graphics.xml"/>)").get()));
    system.OnResize(64, 40);
    FileParser game;
    ASSERT_TRUE(Game::System::GetInstance().Parse(game.Parse(data + "Configuration/Game.xml")));
    // The meshes load in the background: step until every component can draw.
    const auto allReady = [&system]
    { return std::ranges::all_of(system.GetComponents(), [](const Component* c) { return c->IsReady(); }); };
    for (int frame = 0; frame < 400 && !allReady(); ++frame)
    {
        resourceSystem.Update(0.016f);
        SDL_Delay(5);
    }
    resourceSystem.Update(0.016f);
    Game::System::GetInstance().Update(0.016f);
    glm::u8vec4 sky{};
    glm::u8vec4 floor{};
    system.SetFrameHook(
        [&]
        {
            sky = ReadPixel(32, 39);
            floor = ReadPixel(32, 1);
        });
    system.Update(0.016f);
    EXPECT_TRUE(NearColour(sky, {135, 189, 235, 255}, 3));
    EXPECT_FALSE(NearColour(floor, {135, 189, 235, 255}, 30));
    // The head-mounted display's passes are off; on, with no device, the lens distortion gives the
    // same picture.
    Pass* distortion = system.GetPass("ConditionalPass_OculusDeformative");
    ASSERT_NE(distortion, nullptr);
    EXPECT_FALSE(distortion->enabled);
    distortion->enabled = true;
    const glm::u8vec4 plainSky = sky;
    const glm::u8vec4 plainFloor = floor;
    system.Update(0.016f);
    system.SetFrameHook({});
    EXPECT_TRUE(NearColour(sky, plainSky, 1));
    EXPECT_TRUE(NearColour(floor, plainFloor, 1));
    Game::System::GetInstance().Release();
    resourceSystem.Release();
    system.m_customComponentFactory = nullptr;
    system.m_customUniformIdentifier = nullptr;
}
} // namespace
} // namespace Morvane::Graphics
