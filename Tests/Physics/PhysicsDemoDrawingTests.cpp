#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSystem.h"
#include "Component/Object.h"
#include "Golden.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/OpenGL.h"
#include "Parsing/FileParser/FileParser.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsFactory/PhysicsFactory.h"
#include "Physics/PhysicsSystem.h"
#include "Platform/ExecutablePath.h"
#include "SdlEvents.h"
#include "Shape/Shape.h"
#include "System/PathWrapper/PathWrapper.h"
#include "SystemManager/ISystem.h"
#include "SystemManager/SystemManager.h"
#include "Texture/ImageComparison.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <glm/glm.hpp>
#include <gtest/gtest.h>

namespace
{
using namespace Morvane;

constexpr int kFrames = 40;

// The frame in the back buffer, rows from the bottom up as OpenGL reads them.
Texture::RgbImage ReadFrame()
{
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    Texture::RgbImage frame{viewport[2], viewport[3], {}};
    frame.rgb.resize(static_cast<std::size_t>(frame.width * frame.height * 3));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE, frame.rgb.data());
    return frame;
}

// The picture with its rows from the top down, as pictures are stored.
Texture::RgbImage TopDown(const Texture::RgbImage& frame)
{
    Texture::RgbImage picture = frame;
    const std::size_t row = static_cast<std::size_t>(frame.width) * 3;
    for (std::size_t y = 0; y < static_cast<std::size_t>(frame.height); ++y)
    {
        std::copy_n(&frame.rgb[(static_cast<std::size_t>(frame.height) - 1 - y) * row], row,
                    &picture.rgb[y * row]);
    }
    return picture;
}

// Pixels of `frame` inside the screen rectangle that the body's world box covers, and how many of them
// are not the sky's colour.
struct Coverage
{
    int pixels = 0;
    int drawn = 0;
};

Coverage CoverageOf(const Physics::Component& body, Graphics::Camera& camera, const Texture::RgbImage& frame)
{
    glm::vec3 min{};
    glm::vec3 max{};
    body.GetShape()->GetWorldBounds(min, max);
    const glm::mat4 viewProjection = camera.GetProjection() * camera.GetView();
    glm::vec2 low(static_cast<float>(frame.width), static_cast<float>(frame.height));
    glm::vec2 high(0.0f);
    for (int corner = 0; corner < 8; ++corner)
    {
        const glm::vec3 point((corner & 1) != 0 ? max.x : min.x, (corner & 2) != 0 ? max.y : min.y,
                              (corner & 4) != 0 ? max.z : min.z);
        const glm::vec4 clip = viewProjection * glm::vec4(point, 1.0f);
        const glm::vec2 pixel = (glm::vec2(clip) / clip.w * 0.5f + 0.5f) *
                                glm::vec2(static_cast<float>(frame.width), static_cast<float>(frame.height));
        low = glm::min(low, pixel);
        high = glm::max(high, pixel);
    }
    Coverage coverage;
    const glm::ivec2 from = glm::max(glm::ivec2(low), glm::ivec2(0));
    const glm::ivec2 to = glm::min(glm::ivec2(high) + 1, glm::ivec2(frame.width, frame.height));
    for (int y = from.y; y < to.y; ++y)
    {
        for (int x = from.x; x < to.x; ++x)
        {
            const std::uint8_t* rgb = &frame.rgb[static_cast<std::size_t>((y * frame.width + x) * 3)];
            // The sky is (0.53, 0.74, 0.92).
            const bool sky =
                std::abs(rgb[0] - 135) <= 2 && std::abs(rgb[1] - 189) <= 2 && std::abs(rgb[2] - 235) <= 2;
            ++coverage.pixels;
            coverage.drawn += sky ? 0 : 1;
        }
    }
    return coverage;
}

// The demo as the game starts it, in a real window: every body shows as physics debug shapes in the demo
// camera's view, 0.64 s in (the falling cube has landed on the left one).
TEST(PhysicsDemoDrawing, EveryBodyIsDrawnAsDebugShapesInView)
{
    Testing::PrepareVideoForTests();
    // No pointer there to turn the free camera: the frame is seen as the demo places its camera.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    const std::filesystem::path build =
        std::filesystem::path(Platform::GetExecutablePath()).parent_path().parent_path();
    PathWrapper::GetInstance().AddPath("LocalFolder", build.string());
    Physics::System::GetInstance().m_customComponentFactory = &CreateCustomPhysicsComponent;
    Behavior::System::GetInstance().m_customComponentFactory = &CreateCustomBehaviorComponent;
    SystemManager& manager = SystemManager::GetInstance();
    {
        FileParser parser;
        IParserData* tree = parser.Parse((build / "Configuration/PhysicsDemo.xml").string());
        ASSERT_NE(tree, nullptr);
        ASSERT_TRUE(manager.Initialize(tree));
    }
    Graphics::System& graphics = Graphics::System::GetInstance();
    Texture::RgbImage frame;
    for (int step = 0; step < kFrames; ++step)
    {
        if (step + 1 == kFrames)
        {
            graphics.SetFrameHook([&] { frame = ReadFrame(); });
        }
        for (ISystem* system : manager.updateOrder)
        {
            system->Update(0.016f);
        }
    }
    graphics.SetFrameHook({});
    ASSERT_EQ(frame.width, 1280);
    ASSERT_EQ(frame.height, 800);
    Graphics::Camera* camera = graphics.GetCamera("Camera_World");
    ASSERT_NE(camera, nullptr);
    const std::vector<Physics::Component*>& bodies = Physics::System::GetInstance().GetComponents();
    EXPECT_EQ(bodies.size(), 7u);
    for (const Physics::Component* body : bodies)
    {
        const Coverage coverage = CoverageOf(*body, *camera, frame);
        const std::string& name = body->GetParentObject()->GetName();
        EXPECT_GT(coverage.pixels, 400) << name << " is in view and not too small to see";
        EXPECT_LT(coverage.pixels, frame.width * frame.height / 2) << name;
        EXPECT_GT(coverage.drawn, 20) << name;
    }
    EXPECT_TRUE(Testing::MatchesGolden(TopDown(frame), "Physics/PhysicsDemo.png"));
    manager.Release();
    Physics::System::GetInstance().m_customComponentFactory = nullptr;
    Behavior::System::GetInstance().m_customComponentFactory = nullptr;
}
} // namespace
