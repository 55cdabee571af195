// The splash screen and the resolution keeper: their timing, fades and failures in the real graphics,
// audio and game systems, and the shipped splash before the menu through the real game.
#include "Behavior/ResolutionKeeper/ResolutionKeeper.h"
#include "Behavior/Splash/Splash.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Input/InputSystem.h"
#include "Sound/AudioComponent.h"
#include "Sound/AudioSystem.h"
#include "Support/GameCapture.h"
#include "Support/GameGraphicsTest.h"
#include "Support/Golden.h"
#include "Support/LevelRun.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"
#include "Texture/ImageComparison.h"
#include "Texture/Texture.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace Morvane
{
namespace
{
using Testing::At;
using Testing::CountOf;
using Testing::DumpAt;
using Testing::Press;
using Testing::ShotAt;
using Testing::TempDirectory;
using Testing::WorldDump;

// A step that adds up without rounding: slide ends fall on whole frames.
constexpr float kStep = 0.0625f;

// The splash object as the project configuration makes it, without its behaviors: the test drives
// one in code.
const char* const kSplashObject = R"(<Object name="Splash">
    <Transform scale="1024;512;1"/>
    <Graphics renderable="Mesh_ScreenQuad" texture="Texture_Black" shader="Shader_DiffuseTexture" renderSets="Fade"/>
    <Graphics renderable="Mesh_ScreenQuad" texture="Texture_White" diffuseColor="1;1;1;0" renderSets="Fade"/>
    <Audio sound="Sound_Splash" volume="0.8"/>
</Object>)";

class SplashTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        SetUpGame({"Meshes.xml", "Shaders.xml", "Textures.xml", "TitleCards.xml", "Sounds.xml"});
        ASSERT_TRUE(Audio::System::GetInstance().Initialize());
        ASSERT_TRUE(Input::System::GetInstance().Initialize());
        ASSERT_NE(AddObject(kSplashObject), nullptr);
        object = game.GetObject("Splash");
        ASSERT_NE(object, nullptr);
        slide = dynamic_cast<Graphics::Component*>(object->GetComponents()[2]);
        sound = object->GetComponent<Audio::Component>();
        ASSERT_NE(slide, nullptr);
        ASSERT_NE(sound, nullptr);
    }
    void TearDown() override
    {
        splash.reset();
        Input::System::GetInstance().Release();
        GameGraphicsTest::TearDown();
        Audio::System::GetInstance().Release();
    }

    // A splash over the object with the slides of `slides` ("Slide" elements), started.
    void Start(const std::string& slides)
    {
        splash = std::make_unique<Splash>(object);
        ASSERT_TRUE(splash->Parse(Testing::ParseXml("<Behavior>" + slides + "</Behavior>").get()));
        ASSERT_TRUE(splash->Initialize());
    }
    // One frame as the game runs it: the game system first, then the behavior.
    void Step(float dt = kStep)
    {
        game.Update(dt);
        if (game.GetObject("Splash") != nullptr)
        {
            splash->Update(dt);
        }
    }
    Audio::Component& Sound() const { return *sound; }
    float Alpha() const { return slide->GetDiffuseColor().a; }
    std::string Texture() const
    {
        return slide->GetTexture() != nullptr ? slide->GetTexture()->GetName() : "";
    }

    Game::System& game = Game::System::GetInstance();
    Game::Object* object = nullptr;
    Graphics::Component* slide = nullptr;
    Audio::Component* sound = nullptr;
    std::unique_ptr<Splash> splash;
};

TEST_F(SplashTest, ASlideFadesInHoldsAndFadesOutAndAShortOnePeaksHalfwayWithoutAJump)
{
    Start(R"(<Slide texture="Texture_Morvane" time="3"/><Slide texture="Texture_Brimora" time="1.5"/>)");
    EXPECT_EQ(Texture(), "Texture_Morvane");
    EXPECT_EQ(Alpha(), 0.0f);
    EXPECT_TRUE(Sound().IsPlaying());
    std::vector<float> first;
    for (int frame = 1; frame <= 48; ++frame)
    {
        Step();
        first.push_back(Alpha());
    }
    // 0.5, 1.5 and 2.5 s into the 3 s slide, and its end.
    EXPECT_EQ(first[7], 0.5f);
    EXPECT_EQ(first[23], 1.0f);
    EXPECT_EQ(first[39], 0.5f);
    EXPECT_EQ(first[47], 0.0f);
    EXPECT_EQ(Texture(), "Texture_Morvane");

    // Past its end: the next slide from its start.
    Step();
    EXPECT_EQ(Texture(), "Texture_Brimora");
    EXPECT_EQ(Alpha(), 0.0f);
    float peak = 0.0f;
    float previous = 0.0f;
    for (int frame = 1; frame <= 24; ++frame)
    {
        Step();
        peak = std::max(peak, Alpha());
        EXPECT_LE(std::abs(Alpha() - previous), kStep + 1e-4f) << frame;
        previous = Alpha();
    }
    EXPECT_EQ(peak, 0.75f);
    EXPECT_NEAR(Splash::Alpha(0.75f, 1.5f), 0.75f, 1e-6f);
    EXPECT_EQ(Splash::Alpha(2.0f, 1.5f), 0.0f) << "never below zero past the end";
}

TEST_F(SplashTest, SlidesThatCouldNeverEndOrHaveNoTextureAreLeftOutAndLogged)
{
    Testing::LogCapture log;
    Start(R"(<Slide texture="Texture_Morvane" time="0"/><Slide texture="Texture_Morvane" time="-2"/>
             <Slide texture="Texture_Morvane" time="nan"/><Slide texture="Texture_Missing" time="1"/>
             <Slide texture="Texture_Brimora" time="0.5"/>)");
    EXPECT_EQ(CountOf(log.Text(), "has no positive time"), 3u) << log.Text();
    EXPECT_NE(log.Text().find("There is no texture 'Texture_Missing': its slide is left out"),
              std::string::npos)
        << log.Text();
    // Only the good slide shows; then the half-second fade and the object is gone.
    EXPECT_EQ(Texture(), "Texture_Brimora");
    for (int frame = 0; frame < 10 && game.GetObject("Splash") != nullptr; ++frame)
    {
        EXPECT_EQ(Texture(), "Texture_Brimora");
        Step();
    }
    for (int frame = 0; frame < 12; ++frame)
    {
        Step();
    }
    EXPECT_EQ(game.GetObject("Splash"), nullptr);
}

TEST_F(SplashTest, WithoutSlidesTheSplashIsGoneAtOnceAndSilent)
{
    Start(R"(<Slide texture="Texture_Missing" time="2"/>)");
    EXPECT_FALSE(Sound().IsPlaying());
    game.Update(kStep);
    EXPECT_EQ(game.GetObject("Splash"), nullptr);
}

TEST_F(SplashTest, AfterTheLastSlideTheMusicFadesOverHalfASecondThenStopsAndTheObjectGoes)
{
    Start(R"(<Slide texture="Texture_Morvane" time="0.25"/>)");
    ASSERT_TRUE(Sound().IsPlaying());
    for (int frame = 0; frame < 5; ++frame)
    {
        Step();
    }
    EXPECT_NEAR(Sound().GetVolume(), 0.8f, 1e-6f);
    std::vector<float> volumes;
    for (int frame = 0; frame < 7; ++frame)
    {
        Step();
        volumes.push_back(Sound().GetVolume());
        EXPECT_TRUE(Sound().IsPlaying()) << frame;
        EXPECT_NE(game.GetObject("Splash"), nullptr) << frame;
    }
    for (std::size_t at = 0; at < volumes.size(); ++at)
    {
        EXPECT_NEAR(volumes[at], 0.8f * (1.0f - static_cast<float>(at + 1) * kStep / Splash::kFadeOutTime),
                    1e-6f)
            << at;
    }
    Step();
    EXPECT_FALSE(Sound().IsPlaying());
    EXPECT_NEAR(Sound().GetVolume(), 0.0f, 1e-5f);
    game.Update(kStep);
    EXPECT_EQ(game.GetObject("Splash"), nullptr);
}

TEST_F(SplashTest, AMusicAlreadyPlayingIsNotStartedAgain)
{
    Sound().Play(true);
    Testing::LogCapture log;
    Start(R"(<Slide texture="Texture_Morvane" time="1"/>)");
    EXPECT_TRUE(Sound().IsPlaying());
    EXPECT_EQ(CountOf(log.Text(), "Error"), 0u) << log.Text();
}

// An orthogonal camera in pixels, as "Camera_GUI" is.
class ResolutionKeeperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Graphics::System::GetInstance().Parse(
            Testing::ParseXml(
                R"(<GraphicsSystem><Camera name="Camera_Test" mode="Orthogonal"
                                             width="1280" height="800"/></GraphicsSystem>)")
                .get());
        camera = Graphics::System::GetInstance().GetCamera("Camera_Test");
        ASSERT_NE(camera, nullptr);
        object = game.CreateObject("Card");
        ASSERT_TRUE(
            object->Parse(Testing::ParseXml(R"(<Object><Transform scale="1024;512;1"/></Object>)").get()));
        transform = object->GetComponent<Game::TransformComponent>();
        ASSERT_NE(transform, nullptr);
        keeper = std::make_unique<ResolutionKeeper>(object);
        ASSERT_TRUE(keeper->Parse(Testing::ParseXml(R"(<Behavior camera="Camera_Test"/>)").get()));
        ASSERT_TRUE(keeper->Initialize());
    }
    void TearDown() override
    {
        keeper.reset();
        game.Release();
        Graphics::System::GetInstance().Release();
    }
    glm::vec3 ScaleAt(float width, float height)
    {
        camera->SetViewportSize(width, height);
        keeper->Update(0.016f);
        return transform->GetScale();
    }

    Game::System& game = Game::System::GetInstance();
    Graphics::Camera* camera = nullptr;
    Game::Object* object = nullptr;
    Game::TransformComponent* transform = nullptr;
    std::unique_ptr<ResolutionKeeper> keeper;
};

// The screen quad spans twice its scale: a scale of (w / 2, h / 2) covers w x h pixels.
TEST_F(ResolutionKeeperTest, FitsTheFullWidthOfATallViewAndTheFullHeightOfAWideOneAtTheSameRatio)
{
    EXPECT_EQ(ScaleAt(1280, 800), glm::vec3(640, 320, 1));
    EXPECT_EQ(ScaleAt(600, 900), glm::vec3(300, 150, 1));
    EXPECT_EQ(ScaleAt(2000, 500), glm::vec3(500, 250, 1));
    // Exactly the ratio: both ways agree.
    EXPECT_EQ(ScaleAt(1000, 500), glm::vec3(500, 250, 1));
    EXPECT_EQ(ResolutionKeeper::Fit({400, 100}, 2.0f), glm::vec2(200, 100));
}

TEST_F(ResolutionKeeperTest, AZeroSizedViewKeepsTheLastFitAndTheRatioSurvivesIt)
{
    EXPECT_EQ(ScaleAt(1280, 800), glm::vec3(640, 320, 1));
    EXPECT_EQ(ScaleAt(0, 0), glm::vec3(640, 320, 1));
    EXPECT_EQ(ScaleAt(1280, 0), glm::vec3(640, 320, 1));
    EXPECT_EQ(ScaleAt(0, 800), glm::vec3(640, 320, 1));
    EXPECT_EQ(ScaleAt(600, 900), glm::vec3(300, 150, 1));
    // A scale flattened from outside does not lose the ratio either.
    transform->SetScale(glm::vec3(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(ScaleAt(2000, 500), glm::vec3(500, 250, 1));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(ResolutionKeeper::Fit({100, 100}, nan), glm::vec2(0.0f));
    EXPECT_EQ(ResolutionKeeper::Fit({100, 100}, 0.0f), glm::vec2(0.0f));
}

TEST(ResolutionKeeperSave, WritesItsTypeAndCamera)
{
    Graphics::System::GetInstance().Parse(
        Testing::ParseXml(
            R"(<GraphicsSystem><Camera name="Camera_Saved" width="10" height="10"/></GraphicsSystem>)")
            .get());
    Game::System& game = Game::System::GetInstance();
    Game::Object* object = game.CreateObject("Card");
    ASSERT_TRUE(object->Parse(Testing::ParseXml(R"(<Object><Transform scale="2;1;1"/></Object>)").get()));
    ResolutionKeeper keeper(object);
    ASSERT_TRUE(keeper.Parse(Testing::ParseXml(R"(<Behavior camera="Camera_Saved"/>)").get()));
    const auto root = Testing::ParseXml("<Object/>");
    ASSERT_TRUE(keeper.Save(root.get()));
    const IParserData* saved = root->GetFirstChild();
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->GetAttribute("type", ""), "BehaviorComponent_ResolutionKeeper");
    EXPECT_EQ(saved->GetAttribute("camera", ""), "Camera_Saved");
    game.Release();
    Graphics::System::GetInstance().Release();
}

// The shipped project configuration through the real game, at 20 frames a second.
struct SplashRun
{
    TempDirectory folder;
    Testing::ToolResult result;

    WorldDump Dump(const std::string& name) const { return Testing::ReadWorldDump(folder.Path() + name); }
};

void Play(SplashRun& run, const std::string& events, int frames, const std::string& width = "320",
          const std::string& height = "200")
{
    run.result = Testing::RunGame(
        "--capture " +
        run.folder.Write("run.xml",
                         "<Capture frames=\"" + std::to_string(frames) + "\" step=\"0.05\" width=\"" + width +
                             "\" height=\"" + height +
                             "\" draw=\"screenshots\" "
                             "configuration=\"$(LocalFolder)Configuration/ProjectConfiguration.xml\">" +
                             events + "</Capture>"));
}

TEST(SplashCapture, TheCardsPlayThroughAndTheMenuStartsTheFrameAfterTheSplashGoes)
{
    SplashRun run;
    std::string events = ShotAt(25, "full.png");
    for (int frame = 100; frame <= 140; ++frame)
    {
        events += DumpAt(frame, "frame_" + std::to_string(frame) + ".txt");
    }
    Play(run, events, 142);
    ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
    const std::string& log = run.result.output;
    EXPECT_EQ(CountOf(log, "Error"), 0u) << log;
    const std::size_t morvane = log.find("Slide 'Texture_Morvane' for 2.5 s");
    const std::size_t brimora = log.find("Slide 'Texture_Brimora' for 3.5 s");
    const std::size_t over = log.find("Splash over");
    const std::size_t start = log.find("Page 'START'");
    ASSERT_NE(morvane, std::string::npos) << log;
    EXPECT_LT(morvane, brimora);
    EXPECT_LT(brimora, over);
    EXPECT_LT(over, start);
    EXPECT_EQ(CountOf(log, "Page 'START'"), 1u) << log;

    // Every frame shows the splash or the menu's start page, never both and never neither.
    int last = 0;
    for (int frame = 100; frame <= 140; ++frame)
    {
        const WorldDump dump = run.Dump("frame_" + std::to_string(frame) + ".txt");
        const bool splash = dump.CountNamed("Splash") == 1;
        EXPECT_NE(splash, dump.shown.at("Start")) << frame;
        if (splash)
        {
            last = frame;
        }
    }
    // 6 s of slides and the half-second fade: gone after frame 130 at 20 frames a second.
    EXPECT_GE(last, 128);
    EXPECT_LE(last, 133);
    // Fitted to the 320 x 200 window: its full width at 2 : 1.
    const WorldDump first = run.Dump("frame_100.txt");
    const Testing::DumpedObject* card = first.FindNamed("Splash");
    ASSERT_NE(card, nullptr);
    EXPECT_EQ(card->scale, glm::vec3(160, 80, 1));

    Texture::RgbImage image;
    std::string error;
    ASSERT_TRUE(Texture::ReadRgbPng(run.folder.Path() + "full.png", image, error)) << error;
    EXPECT_TRUE(Testing::MatchesGolden(image, "Behavior/Splash_full.png"));
}

TEST(SplashCapture, AKeyAClickOrAPadButtonSkipsToTheLastSecond)
{
    const std::vector<std::pair<const char*, std::string>> skips = {
        {"key", Press(5, "X")},
        {"click", At(5, R"(<MouseButton button="1" down="true"/>)") +
                      At(6, R"(<MouseButton button="1" down="false"/>)")},
        {"pad", At(5, R"(<PadButton button="start" down="true"/>)") +
                    At(6, R"(<PadButton button="start" down="false"/>)")},
    };
    for (const auto& [name, skip] : skips)
    {
        SplashRun run;
        Play(run, skip + DumpAt(30, "before.txt") + DumpAt(40, "after.txt"), 42);
        ASSERT_EQ(run.result.exitCode, 0) << name << run.result.output;
        const std::string& log = run.result.output;
        EXPECT_EQ(CountOf(log, "Skipped to the last slide's last second"), 1u) << name << log;
        EXPECT_NE(log.find("Slide 'Texture_Brimora'"), std::string::npos) << name << log;
        // One second of the last slide and the half-second fade from frame 5.
        EXPECT_EQ(run.Dump("before.txt").CountNamed("Splash"), 1) << name;
        const WorldDump after = run.Dump("after.txt");
        EXPECT_EQ(after.CountNamed("Splash"), 0) << name;
        EXPECT_TRUE(after.shown.at("Start")) << name;
    }
}

TEST(SplashCapture, WideAndTallWindowsFitTheCardsAtTheirRatio)
{
    for (const auto& [width, height, scale] :
         {std::tuple{"400", "100", glm::vec3(100, 50, 1)}, std::tuple{"200", "320", glm::vec3(100, 50, 1)}})
    {
        SplashRun run;
        Play(run, DumpAt(3, "fit.txt"), 4, width, height);
        ASSERT_EQ(run.result.exitCode, 0) << run.result.output;
        const WorldDump fit = run.Dump("fit.txt");
        const Testing::DumpedObject* card = fit.FindNamed("Splash");
        ASSERT_NE(card, nullptr) << width;
        EXPECT_EQ(card->scale, scale) << width << "x" << height;
    }
}
} // namespace
} // namespace Morvane
