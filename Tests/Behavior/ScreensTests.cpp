// The loading screen over slow background resources and the frame-rate text over measured frame times,
// in the real game, graphics, behavior and resource systems.
#include "Behavior/BehaviorSet.h"
#include "Behavior/BehaviorSystem.h"
#include "Behavior/FPSText/FPSText.h"
#include "Behavior/LoadingScreen/LoadingScreen.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/TextGraphics/TextGraphics.h"
#include "Parsing/IParserData.h"
#include "Physics/PhysicsSystem.h"
#include "Resources/Resource.h"
#include "Resources/ResourceSystem.h"
#include "Support/GameGraphicsTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "SystemManager/SystemManager.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace Morvane
{
namespace
{
using namespace std::chrono_literals;

// How many slow parses the load thread may finish; the test opens the gate one parse at a time, so the
// screen sees the load progress however slowly this build runs.
std::atomic<int> parsesAllowed{0};
std::atomic<int> parsesStarted{0};
constexpr int kGateOpen = 1 << 20;

// A background resource that waits for the gate to parse; "fails" makes the parse fail.
class SlowResource final : public Resources::Resource
{
public:
    using Resource::Resource;

    bool Parse(const IParserData* definition) override
    {
        const int ticket = parsesStarted.fetch_add(1);
        while (ticket >= parsesAllowed.load())
        {
            std::this_thread::sleep_for(1ms);
        }
        return !definition->GetAttributeBool("fails", false);
    }
    bool Initialize() override
    {
        SetInitialized(true);
        return true;
    }
    void Release() override {}
};

constexpr int kSlowResources = 8;

class ScreensTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml", "Textures.xml", "Fonts.xml"});
        Resources::System& resources = Resources::System::GetInstance();
        resources.AddDelegate("Slow",
                              [](const std::string& name) { return std::make_unique<SlowResource>(name); });
        std::string definitions = "<ResourceSystem>";
        for (int index = 0; index < kSlowResources; ++index)
        {
            definitions += "<Slow name=\"Slow_" + std::to_string(index) + "\" multiThreaded=\"true\"" +
                           (index == 3 ? " fails=\"true\"" : "") + "/>";
        }
        ASSERT_TRUE(resources.Parse(Testing::ParseXml(definitions + "</ResourceSystem>").get()));
        ASSERT_TRUE(resources.Initialize());
        ASSERT_TRUE(Graphics::System::GetInstance().Parse(
            Testing::ParseXml(R"(<GraphicsSystem><Camera name="Camera_GUI" mode="Orthogonal" position="0;0;1"
                target="0;0;0" width="1280" height="800" nearPlane="0.1" farPlane="10"/></GraphicsSystem>)")
                .get()));
        ASSERT_TRUE(Behavior::System::GetInstance().Parse(
            Testing::ParseXml(
                R"(<BehaviorSystem><BehaviorSet name="BehaviorSet_Gameplay"/></BehaviorSystem>)")
                .get()));
        ASSERT_TRUE(
            game.Parse(Testing::ParseXml("<GameSystem><Objects archetypesFolder=\"" + Testing::DataFolder() +
                                         "Archetypes\"><Object name=\"LoadingScreen\"><Transform/></Object>"
                                         "</Objects></GameSystem>")
                           .get()));
        owner = game.GetObject("LoadingScreen");
        ASSERT_NE(owner, nullptr);
        Physics::System::GetInstance().SetPaused(false);
        parsesStarted = 0;
        parsesAllowed = kGateOpen;
    }
    void TearDown() override
    {
        parsesAllowed = kGateOpen;
        Physics::System::GetInstance().SetPaused(false);
        GameGraphicsTest::TearDown();
        Behavior::System::GetInstance().Release();
        Resources::System::GetInstance().Release();
    }

    static void RequestSlowResources()
    {
        for (int index = 0; index < kSlowResources; ++index)
        {
            ASSERT_NE(
                Resources::System::GetInstance().GetResource<SlowResource>("Slow_" + std::to_string(index)),
                nullptr);
        }
    }
    static bool GameplayPaused()
    {
        const Behavior::BehaviorSet* set = Behavior::System::GetInstance().FindSet("BehaviorSet_Gameplay");
        return set != nullptr && set->IsPaused();
    }
    std::string LoadingCaption() const
    {
        const Game::Object* text = game.GetObject("LoadingText");
        const auto* graphics = text != nullptr ? text->GetComponent<TextGraphics>() : nullptr;
        return graphics != nullptr ? graphics->GetCaption() : "";
    }

    Game::System& game = Game::System::GetInstance();
    Game::Object* owner = nullptr;
};

// Gameplay and physics wait for the last resource; the bar only ever fills; a failed resource is done.
TEST_F(ScreensTest, TheLoadingScreenHoldsTheGameUntilTheLastResourceIsReadyAndOnlyFillsUp)
{
    parsesAllowed = 0;
    RequestSlowResources();
    Resources::System& resources = Resources::System::GetInstance();
    LoadingScreen screen(owner);
    Testing::LogCapture log;
    const bool initialized = screen.Initialize();
    game.Update(0.05f);
    const bool pausedAtStart = GameplayPaused() && Physics::System::GetInstance().IsPaused();
    const std::string firstCaption = LoadingCaption();
    const float firstProgress = screen.GetProgress();

    std::vector<int> wronglyPaused;
    std::vector<float> progress;
    std::vector<std::string> captions;
    for (int frame = 0; frame < 400 && game.GetObject("LoadingScreen") != nullptr; ++frame)
    {
        if (frame % 3 == 0)
        {
            ++parsesAllowed;
        }
        resources.Update(0.05f);
        if (game.GetObject("LoadingScreen") != nullptr)
        {
            const bool allReady = resources.GetPendingCount() == 0;
            screen.Update(0.25f);
            progress.push_back(screen.GetProgress());
            captions.push_back(LoadingCaption());
            // Paused exactly until everything parsed has been initialised.
            if (GameplayPaused() == allReady)
            {
                wronglyPaused.push_back(frame);
            }
        }
        game.Update(0.05f);
        std::this_thread::sleep_for(5ms);
    }
    const std::string text = log.Text();
    ASSERT_TRUE(initialized);
    EXPECT_TRUE(pausedAtStart);
    EXPECT_EQ(firstCaption, "Loading");
    EXPECT_EQ(firstProgress, 0.0f);
    EXPECT_TRUE(wronglyPaused.empty()) << wronglyPaused.front();
    EXPECT_EQ(game.GetObject("LoadingScreen"), nullptr);
    EXPECT_EQ(game.GetObject("LoadingText"), nullptr);
    EXPECT_EQ(game.GetObject("LoadingBar"), nullptr);
    ASSERT_GT(progress.size(), 4u) << "the resources loaded before the screen could show them";
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 1.0f);
    EXPECT_LT(progress.front(), 1.0f);
    EXPECT_NE(std::find(captions.begin(), captions.end(), "Loading.."), captions.end());
    EXPECT_EQ(Testing::CountOf(text, "READY TO GO"), 1u);
    const std::size_t ready = text.find("READY TO GO");
    for (const int index : {0, 7})
    {
        const std::string done = "Resource initialized successfully ['Slow_" + std::to_string(index) + "']";
        ASSERT_NE(text.find(done), std::string::npos) << index;
        EXPECT_LT(text.find(done), ready) << index;
    }
    EXPECT_FALSE(GameplayPaused());
    EXPECT_FALSE(Physics::System::GetInstance().IsPaused());
}

// Gone before it finished, the screen still resumes what it paused, and only that.
TEST_F(ScreensTest, ALoadingScreenDestroyedEarlyResumesWhatItPausedOnly)
{
    RequestSlowResources();
    {
        LoadingScreen screen(owner);
        ASSERT_TRUE(screen.Initialize());
        EXPECT_TRUE(GameplayPaused());
        EXPECT_TRUE(Physics::System::GetInstance().IsPaused());
        screen.Release();
    }
    EXPECT_FALSE(GameplayPaused());
    EXPECT_FALSE(Physics::System::GetInstance().IsPaused());

    // Physics paused by someone else stays paused.
    Physics::System::GetInstance().SetPaused(true);
    LoadingScreen screen(owner);
    ASSERT_TRUE(screen.Initialize());
    screen.Release();
    EXPECT_TRUE(Physics::System::GetInstance().IsPaused());
    EXPECT_FALSE(GameplayPaused());
}

// Frames counted over their measured time, a fresh count every quarter second.
TEST_F(ScreensTest, TheFrameRateTextShowsFramesOverTheirMeasuredTime)
{
    ASSERT_NE(AddObject(R"(<Object name="FpsText"><Transform/>
        <Graphics type="GraphicsComponent_Text" renderable="Mesh_ScreenQuad" font="Font_Sans" fontCamera="Camera_GUI" textureSize="192;32"
                  fontSize="24" caption="FPS:" renderSets="GUI"/></Object>)"),
              nullptr);
    FPSText text(game.GetObject("FpsText"));
    ASSERT_TRUE(text.Initialize());
    const auto* graphics = game.GetObject("FpsText")->GetComponent<TextGraphics>();
    ASSERT_NE(graphics, nullptr);
    SystemManager& manager = SystemManager::GetInstance();
    for (const auto& [frameTime, caption] :
         {std::pair{0.01f, "FPS: 100.00"}, std::pair{0.1f, "FPS: 10.00"}, std::pair{0.016f, "FPS: 62.50"}})
    {
        manager.frameTime = frameTime;
        // The step the frame loop hands over is capped; the text must not read it.
        for (int frame = 0; frame < 40; ++frame)
        {
            text.Update(SystemManager::kMaxStep);
        }
        EXPECT_EQ(graphics->GetCaption(), caption) << frameTime;
    }
    manager.frameTime = SystemManager::kFirstFrameTime;
}
} // namespace
} // namespace Morvane
