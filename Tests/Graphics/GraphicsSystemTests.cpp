#include "Graphics/GraphicsSystem.h"
#include "Renderable/Mesh.h"
#include "Resources/ResourceSystem.h"
#include "Support/GlTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/SdlEvents.h"
#include "Support/TempDirectory.h"
#include "Texture/Texture.h"
#include "Window/WindowSystem.h"

#include <SDL.h>
#include <cstdlib>
#include <gtest/gtest.h>

namespace Morvane::Graphics
{
namespace
{
using Testing::LogCapture;
using Testing::ParseXml;

class GraphicsSystemTest : public Testing::GlTest
{
protected:
    System& system = System::GetInstance();
};

TEST_F(GraphicsSystemTest, OffscreenContextIsOpenGL45CoreWithSmoothingOff)
{
    EXPECT_TRUE(system.HasContext());
    GLint major = 0;
    GLint minor = 0;
    GLint profile = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_EQ(major * 10 + minor, 45);
    EXPECT_NE(profile & GL_CONTEXT_CORE_PROFILE_BIT, 0);
    EXPECT_FALSE(system.IsSmooth());
    EXPECT_FALSE(glIsEnabled(GL_LINE_SMOOTH));
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_SMOOTH));
}

TEST_F(GraphicsSystemTest, ASecondInitializeStartsEmptyAndReleaseEndsTheContext)
{
    ASSERT_TRUE(system.Parse(
        ParseXml(R"(<GraphicsSystem><Camera name="A"/><Set name="S"/></GraphicsSystem>)").get()));
    ASSERT_NE(system.GetCamera("A"), nullptr);
    ASSERT_TRUE(system.Initialize());
    glDebugMessageCallback(nullptr, nullptr);
    EXPECT_EQ(system.GetCamera("A"), nullptr);
    LogCapture log;
    EXPECT_EQ(system.GetRenderSet("S"), nullptr);
    EXPECT_TRUE(log.Contains("Tried to get unexistent render set 'S'"));
    system.Release();
    EXPECT_FALSE(system.HasContext());
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
}

TEST_F(GraphicsSystemTest, TheGraphicsResourceKindsAreRegistered)
{
    Resources::System& resources = Resources::System::GetInstance();
    ASSERT_TRUE(resources.Parse(ParseXml(R"(<ResourceSystem>
        <Mesh name="Triangle"><Buffer><Data>0 0 0 1 0 0 0 1 0</Data><AttributeDescription location="0"/></Buffer></Mesh>
        <Texture name="Target" width="4" height="4"/>
        </ResourceSystem>)")
                                    .get()));
    EXPECT_NE(resources.GetResource<Mesh>("Triangle"), nullptr);
    EXPECT_NE(resources.GetResource<Texture>("Target"), nullptr);
}

TEST_F(GraphicsSystemTest, ConfigurationReadsCamerasSetsSectionsAndFiles)
{
    const Testing::TempDirectory folder;
    const std::string path = folder.Write("Graphics.xml", R"(<GraphicsSystem>
        <Section><Camera name="World" mode="Orthogonal" position="1;2;3" target="0;0;-1" up="0;0;1" width="200"
            height="100" fov="60" nearPlane="0.5" farPlane="50" adaptToWindow="true" debugCamera="true"/></Section>
        <Camera name="Plain"/><Camera name="Plain" fov="10"/><Camera name="Lower" mode="perspective"/>
        <Set/><Set name=""/><Set name="Opaque"/><Unknown/></GraphicsSystem>)");
    LogCapture log;
    ASSERT_TRUE(system.Parse(
        ParseXml(R"(<GraphicsSystem path=")" + path + R"("><Camera name="Ignored"/></GraphicsSystem>)")
            .get()));
    EXPECT_EQ(system.GetCamera("Ignored"), nullptr) << "a path replaces the element whole";
    EXPECT_FALSE(system.AddToRenderSet(nullptr, "Missing"));

    Camera* world = system.GetCamera("World");
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->GetMode(), Camera::Mode::Orthogonal);
    EXPECT_EQ(world->GetPosition(), glm::vec3(1, 2, 3));
    EXPECT_EQ(world->GetUp(), glm::vec3(0, 0, 1));
    // A camera that follows the window takes the window's size when read, not the file's.
    const Window::ClientRect& client = Window::System::GetInstance().clientRect;
    EXPECT_EQ(world->GetViewportSize(), glm::vec2(client.Width(), client.Height()));
    EXPECT_FLOAT_EQ(world->GetAspectRatio(),
                    static_cast<float>(client.Width()) / static_cast<float>(client.Height()));
    EXPECT_FLOAT_EQ(world->GetNearPlane(), 0.5f);
    EXPECT_TRUE(world->AdaptsToWindow());
    EXPECT_EQ(system.GetDebugCamera(), world);
    EXPECT_EQ(system.GetCameraName(world), "World");

    Camera* plain = system.GetCamera("Plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetMode(), Camera::Mode::Perspective);
    EXPECT_EQ(plain->GetPosition(), glm::vec3(10, 10, 10));
    EXPECT_EQ(plain->GetTarget(), glm::vec3(0, 0, 0));
    EXPECT_EQ(plain->GetViewportSize(), glm::vec2(800, 600));
    EXPECT_FLOAT_EQ(plain->GetFieldOfView(), 45.0f) << "the duplicate made no second camera";
    EXPECT_FLOAT_EQ(plain->GetNearPlane(), 0.001f);
    EXPECT_FLOAT_EQ(plain->GetFarPlane(), 100.0f);
    EXPECT_FALSE(plain->AdaptsToWindow());
    EXPECT_EQ(system.GetCamera("Lower")->GetMode(), Camera::Mode::Perspective);

    EXPECT_TRUE(log.Contains("Tried to create duplicated cameras 'Plain'"));
    EXPECT_TRUE(log.Contains("Unexpected camera mode 'perspective'"));
    EXPECT_EQ(Testing::CountOf(log.Text(), "Creating an unnamed set"), 2u);
    EXPECT_TRUE(log.Contains("Unknown parser element 'Unknown'"));
    EXPECT_NE(system.GetRenderSet("UNNAMED_SET"), nullptr);
    EXPECT_NE(system.GetRenderSet("Opaque"), nullptr);
    EXPECT_TRUE(log.Contains("Set 'Missing' not found"));
}

TEST_F(GraphicsSystemTest, ResizeAdaptsFollowingCamerasAndKeepsTheAspectForHeightZero)
{
    ASSERT_TRUE(system.Parse(
        ParseXml(
            R"(<GraphicsSystem><Camera name="Follow" adaptToWindow="true"/><Camera name="Fixed"/></GraphicsSystem>)")
            .get()));
    system.OnResize(1000, 500);
    EXPECT_EQ(system.GetCamera("Follow")->GetViewportSize(), glm::vec2(1000, 500));
    EXPECT_FLOAT_EQ(system.GetCamera("Follow")->GetAspectRatio(), 2.0f);
    EXPECT_EQ(system.GetCamera("Fixed")->GetViewportSize(), glm::vec2(800, 600));
    system.OnResize(300, 0);
    EXPECT_EQ(system.GetCamera("Follow")->GetViewportSize(), glm::vec2(300, 0));
    EXPECT_FLOAT_EQ(system.GetCamera("Follow")->GetAspectRatio(), 2.0f);

    // The window system tells the renderer its new size.
    Testing::PushWindowEvent(Window::System::GetInstance().window, SDL_WINDOWEVENT_SIZE_CHANGED, 640, 320);
    Window::System::GetInstance().Update(0.016f);
    EXPECT_EQ(system.GetCamera("Follow")->GetViewportSize(), glm::vec2(640, 320));
}

TEST_F(GraphicsSystemTest, DebugListsHoldAThousandAndEmptyEveryFrame)
{
    for (int line = 0; line < 1001; ++line)
    {
        system.DrawDebugLine(glm::vec3(0), glm::vec3(1), glm::vec4(1));
    }
    system.DrawDebugBox(glm::vec3(0), glm::vec3(1), glm::vec4(1));
    system.DrawDebugSphere(glm::vec3(0), 1.0f, glm::vec4(1));
    EXPECT_EQ(system.GetDebugLineCount(), 1000u);
    EXPECT_EQ(system.GetDebugBoxCount(), 1u);
    EXPECT_EQ(system.GetDebugSphereCount(), 1u);
    system.Update(0.016f);
    EXPECT_EQ(system.GetDebugLineCount(), 0u);
    EXPECT_EQ(system.GetDebugBoxCount(), 0u);
    EXPECT_EQ(system.GetDebugSphereCount(), 0u);
}

TEST(GraphicsSystemWithoutContext, DebugDrawsAreDroppedAndAMissingWindowFailsInitialize)
{
    System& system = System::GetInstance();
    system.DrawDebugLine(glm::vec3(0), glm::vec3(1), glm::vec4(1));
    system.DrawDebugBox(glm::vec3(0), glm::vec3(1), glm::vec4(1));
    system.DrawDebugSphere(glm::vec3(0), 1.0f, glm::vec4(1));
    EXPECT_EQ(system.GetDebugLineCount(), 0u);
    EXPECT_EQ(system.GetDebugBoxCount(), 0u);
    EXPECT_EQ(system.GetDebugSphereCount(), 0u);
    system.Update(0.016f);

    LogCapture log;
    EXPECT_FALSE(system.Initialize());
    EXPECT_TRUE(log.Contains("Couldn't create an OpenGL context. [0: No window]")) << log.Text();
    EXPECT_FALSE(system.HasContext());
}

// The GLX path: a real X display (xvfb-run), where swap intervals are refused.
TEST(GraphicsSystemOnX11, CreatesAContextAndReportsRefusedVerticalSync)
{
    if (std::getenv("DISPLAY") == nullptr)
    {
        GTEST_SKIP() << "needs an X display (xvfb-run)";
    }
    Testing::PrepareVideoForTests();
    setenv("SDL_VIDEODRIVER", "x11", 1);
    ASSERT_TRUE(Window::System::GetInstance().Initialize());
    LogCapture log;
    ASSERT_TRUE(System::GetInstance().Initialize());
    const std::string text = log.Text();
    if (SDL_GL_GetSwapInterval() == 0)
    {
        EXPECT_FALSE(System::GetInstance().IsVSync());
        EXPECT_NE(text.find("Vertical sync refused"), std::string::npos) << text;
    }
    else
    {
        EXPECT_TRUE(System::GetInstance().IsVSync());
    }
    GLint major = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    EXPECT_EQ(major, 4);
    System::GetInstance().Update(0.016f);
    System::GetInstance().Release();
    Window::System::GetInstance().Release();
}
} // namespace
} // namespace Morvane::Graphics
