// The companion built from the shipped archetype with a camera, a light and its sounds: following,
// drifting, calls, nudges, guiding, events and lost references, stepped at a fixed rate, with its
// sounds read back from the no-sound output's mix.
#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSystem.h"
#include "Behavior/FloatingObject/FloatingObject.h"
#include "Behavior/GameLogic/RenderSettings.h"
#include "Behavior/Other/Other.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/Camera.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/LightingPointGraphics/LightingPointGraphics.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "Sound/AudioComponent.h"
#include "Sound/AudioSystem.h"
#include "Sound/Backend/Output.h"
#include "Sound/Sound.h"
#include "Support/GameGraphicsTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/Logging/Format.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <glm/geometric.hpp>
#include <gtest/gtest.h>
#include <memory>
#include <sndfile.h>
#include <vector>

namespace Morvane
{
namespace
{
constexpr float kStep = 1.0f / 60.0f;
const glm::vec4 kRestingColour(1.0f, 0.6f, 0.25f, 1.0f);
const glm::vec3 kRestingAttenuation(1.0f, 0.1f, 0.05f);

void WriteTone(const std::string& path, float seconds, float amplitude)
{
    SF_INFO info{0, 44100, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << path;
    std::vector<float> samples(static_cast<std::size_t>(seconds * 44100.0f));
    for (std::size_t frame = 0; frame < samples.size(); ++frame)
    {
        samples[frame] = amplitude * static_cast<float>(std::sin(0.0628 * static_cast<double>(frame)));
    }
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
}

class OtherTest : public Testing::GameGraphicsTest
{
protected:
    void SetUp() override
    {
        setenv("ALSOFT_DRIVERS", "none", 1);
        SetUpGame({"Meshes.xml", "Textures.xml"});
        Behavior::System::GetInstance().m_customComponentFactory = &CreateCustomBehaviorComponent;
        WriteTone(m_sounds.Path() + "tone.wav", 1.0f, 0.5f);
        std::string definitions = "<ResourceSystem>";
        for (const char* name :
             {"Sound_Other_Call_0", "Sound_Other_Interact_0", "Sound_Other_Die", "Sound_Baby"})
        {
            definitions +=
                Format(R"(<Sound name="%s" path="%stone.wav" is3D="true"/>)", name, m_sounds.Path().c_str());
        }
        ASSERT_TRUE(Resources::System::GetInstance().Parse(
            Testing::ParseXml(definitions + "</ResourceSystem>").get()));
        // The physics system registers the "Physics" element when it is made.
        Physics::System::GetInstance();
        ASSERT_TRUE(audio.Initialize());
        // Playback moves on only when the test renders the mix.
        audio.GetBackend()->SetClock([this] { return m_now; });
        ASSERT_TRUE(
            game.Parse(Testing::ParseXml(R"(<GameSystem><Objects archetypesFolder=")" +
                                         std::string(MORVANE_DATA_FOLDER) + R"(Archetypes"/></GameSystem>)")
                           .get()));
        ASSERT_TRUE(Graphics::System::GetInstance().Parse(
            Testing::ParseXml(
                R"(<GraphicsSystem><Camera name="Camera_World" position="0;1;0" target="0;1;-2"/>
                <Set name="World"/><Set name="Glowing"/></GraphicsSystem>)")
                .get()));
        camera = Graphics::System::GetInstance().GetCamera("Camera_World");
        ASSERT_NE(camera, nullptr);
        audio.SetListener(camera->GetPosition(), {0, 0, -1}, {0, 1, 0});

        lightObject = game.CreateObject("Pointlight");
        ASSERT_TRUE(lightObject->Parse(Testing::ParseXml("<Object><Transform/></Object>").get()));
        light = std::make_unique<LightingPointGraphics>(lightObject);
        lightObject->AddComponent(light.get());
        light->SetDiffuseColor(kRestingColour);
        light->SetAttenuation(kRestingAttenuation);
        RenderSettings::GetInstance().attenuation = kRestingAttenuation;

        companion = game.CreateObjectFromArchetype("Other", "Other.xml");
        ASSERT_NE(companion, nullptr);
        game.Update(kStep);
        other = companion->GetComponent<Other>();
        transform = companion->GetComponent<Game::TransformComponent>();
        body = companion->GetComponent<Physics::Component>();
        ASSERT_TRUE(other != nullptr && transform != nullptr && body != nullptr);
        other->SetCamera(camera);
        other->SetLight(lightObject);
    }

    void TearDown() override
    {
        if (light != nullptr && light->GetParentObject() != nullptr)
        {
            light->GetParentObject()->DetachComponent(light.get());
        }
        game.Release();
        Behavior::System::GetInstance().Release();
        Physics::System::GetInstance().Release();
        audio.Release();
        Resources::System::GetInstance().Release();
        Behavior::System::GetInstance().m_customComponentFactory = nullptr;
        RenderSettings::GetInstance() = RenderSettings();
        GameGraphicsTest::TearDown();
    }

    // Frames of the companion and its physics.
    void Run(float seconds)
    {
        for (int frame = 0; frame < static_cast<int>(std::lround(seconds / kStep)); ++frame)
        {
            other->Update(kStep);
            Physics::System::GetInstance().Update(kStep);
        }
    }

    // Plays every sound to its end.
    void FinishSounds()
    {
        for (int step = 0; step < 40; ++step)
        {
            m_now += 50u;
            audio.Update(kStep);
        }
    }

    // Where the companion is on average over `seconds`: the wobble about its anchor evens out.
    glm::vec3 MeanPosition(float seconds)
    {
        glm::vec3 sum(0.0f);
        const int frames = static_cast<int>(std::lround(seconds / kStep));
        for (int frame = 0; frame < frames; ++frame)
        {
            Run(kStep);
            sum += transform->GetPosition();
        }
        return sum / static_cast<float>(frames);
    }

    // Peak level of the next `milliseconds` of the mix.
    float Heard(unsigned milliseconds = 50)
    {
        audio.Update(kStep);
        std::vector<float> mix(static_cast<std::size_t>(audio.GetBackend()->GetSampleRate()) * milliseconds /
                               1000);
        EXPECT_EQ(audio.GetBackend()->Render(mix), Audio::Backend::Result::Ok);
        float peak = 0.0f;
        for (const float sample : mix)
        {
            peak = std::max(peak, std::fabs(sample));
        }
        return peak;
    }

    std::string PlayingSound() const
    {
        const auto* voice = companion->GetComponent<Audio::Component>();
        return voice->IsPlaying() && voice->GetSound() != nullptr ? voice->GetSound()->GetName() : "";
    }

    Game::System& game = Game::System::GetInstance();
    Audio::System& audio = Audio::System::GetInstance();
    Graphics::Camera* camera = nullptr;
    Game::Object* lightObject = nullptr;
    std::unique_ptr<LightingPointGraphics> light;
    Game::Object* companion = nullptr;
    Other* other = nullptr;
    Game::TransformComponent* transform = nullptr;
    Physics::Component* body = nullptr;

private:
    Testing::TempDirectory m_sounds;
    std::uint32_t m_now = 0;
};

TEST_F(OtherTest, FollowsTheViewUntilLeftAloneAndACallBringsItBackForTwentySeconds)
{
    EXPECT_EQ(transform->GetPosition(), camera->GetPosition());
    Run(1.0f);
    EXPECT_LT(glm::distance(other->GetAnchor(), camera->GetTarget()), 0.01f);
    EXPECT_LT(glm::distance(MeanPosition(3.0f), camera->GetTarget()), 1.0f);
    Run(0.9f);
    EXPECT_FALSE(other->IsFree());
    Run(0.2f);
    EXPECT_TRUE(other->IsFree());
    // Free, it wanders off on its own drift, away from the view.
    Run(3.0f);
    EXPECT_GT(glm::distance(other->GetAnchor(), camera->GetTarget()), 1.0f);

    other->Call();
    EXPECT_FALSE(other->IsFree());
    EXPECT_EQ(PlayingSound(), "Sound_Other_Call_0");
    EXPECT_GT(Heard(), 0.05f);
    Run(19.8f);
    EXPECT_FALSE(other->IsFree());
    EXPECT_LT(glm::distance(other->GetAnchor(), camera->GetTarget()), 0.01f);
    Run(0.4f);
    EXPECT_TRUE(other->IsFree());
}

TEST_F(OtherTest, EachSoundPlaysOnceWhileItIsPlaying)
{
    other->Call();
    other->Interact();
    // The call is still playing: the nudge's sound waits for it to end instead of cutting it off.
    EXPECT_EQ(PlayingSound(), "Sound_Other_Call_0");
    other->Call();
    EXPECT_EQ(PlayingSound(), "Sound_Other_Call_0");
    FinishSounds();
    EXPECT_EQ(PlayingSound(), "");
    other->Interact();
    EXPECT_EQ(PlayingSound(), "Sound_Other_Interact_0");
}

TEST_F(OtherTest, ANudgeWorksOnlyWithinTenUnitsFlashesTheLightAndSendsItToTheFirstTip)
{
    other->SetTipPoints({{5.0f, 2.0f, -8.0f}, {9.0f, 2.0f, -20.0f}});
    transform->SetPosition(camera->GetPosition() + glm::vec3(0.0f, 0.0f, -10.01f));
    other->Interact();
    EXPECT_FALSE(other->IsGuiding());
    EXPECT_EQ(light->GetAttenuation(), kRestingAttenuation);
    EXPECT_EQ(PlayingSound(), "");

    transform->SetPosition(camera->GetPosition() + glm::vec3(0.0f, 0.0f, -9.99f));
    other->Interact();
    EXPECT_TRUE(other->IsGuiding());
    EXPECT_TRUE(other->IsFree());
    EXPECT_EQ(light->GetDiffuseColor(), glm::vec4(1.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(light->GetAttenuation(), glm::vec3(0.0001f, 0.005f, 0.005f));
    EXPECT_EQ(companion->GetComponent<Graphics::Component>()->GetDiffuseColor(),
              glm::vec4(1.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(PlayingSound(), "Sound_Other_Interact_0");
    EXPECT_NEAR(body->GetVelocity().z, -10.0f, 1e-4f);

    // It flies to the first tip; the flash fades back to the light the level gave it.
    Run(6.0f);
    EXPECT_EQ(other->GetAnchor(), glm::vec3(5.0f, 2.0f, -8.0f));
    EXPECT_LT(glm::distance(MeanPosition(3.0f), other->GetAnchor()), 1.0f);
    EXPECT_LT(glm::length(body->GetVelocity()), 0.1f);
    const glm::vec4 colour = light->GetDiffuseColor();
    EXPECT_NEAR(glm::distance(colour, kRestingColour), 0.0f, 0.01f);
    EXPECT_GT(light->GetAttenuation().x, 0.5f);
    EXPECT_LT(light->GetAttenuation().x, kRestingAttenuation.x);
}

TEST_F(OtherTest, ANudgeRightAfterBeingPutOnTheCameraPushesAlongTheView)
{
    other->SetCamera(camera);
    other->Interact();
    const glm::vec3 velocity = body->GetVelocity();
    EXPECT_TRUE(std::isfinite(velocity.x) && std::isfinite(velocity.y) && std::isfinite(velocity.z));
    EXPECT_NEAR(velocity.z, -10.0f, 1e-4f);
    Run(0.5f);
    const glm::vec3 position = transform->GetPosition();
    EXPECT_TRUE(std::isfinite(position.x) && std::isfinite(position.y) && std::isfinite(position.z));
}

TEST_F(OtherTest, GuideEventsWalkTheTipsAndPastTheLastItIsFree)
{
    other->SetTipPoints({{1.0f, 1.0f, -5.0f}, {2.0f, 1.0f, -9.0f}});
    other->Interact();
    Run(kStep);
    EXPECT_EQ(other->GetAnchor(), glm::vec3(1.0f, 1.0f, -5.0f));
    {
        Testing::LogCapture log;
        other->OnEvent("Guide");
        EXPECT_TRUE(log.Contains("Event: Guide")) << log.Text();
        EXPECT_TRUE(log.Contains("Changing from tip 0")) << log.Text();
        EXPECT_TRUE(log.Contains(" to tip 1")) << log.Text();
    }
    Run(kStep);
    EXPECT_EQ(other->GetAnchor(), glm::vec3(2.0f, 1.0f, -9.0f));
    other->OnEvent("Guide");
    Run(kStep);
    EXPECT_FALSE(other->IsGuiding());
    EXPECT_TRUE(other->IsFree());
    EXPECT_EQ(other->GetCurrentTip(), 2u);
}

TEST_F(OtherTest, AnUnknownEventIsAnErrorAndChangesNothingWhileAnEndingIsHeardOnce)
{
    other->SetTipPoints({{1.0f, 1.0f, -5.0f}});
    {
        Testing::LogCapture log;
        other->OnEvent("Level7_NoEnding");
        EXPECT_TRUE(log.Contains("NOT IDENTIFIED EVENT: Level7_NoEnding")) << log.Text();
    }
    EXPECT_EQ(other->GetCurrentTip(), 0u);
    EXPECT_FALSE(other->IsFree());
    EXPECT_EQ(Heard(), 0.0f);
    for (const char* ending : {"Level5_BadEnding", "Level6_GoodEnding"})
    {
        other->OnEvent(ending);
        EXPECT_GT(Heard(), 0.05f) << ending;
        FinishSounds();
        EXPECT_EQ(Heard(), 0.0f) << ending;
    }
}

TEST_F(OtherTest, LeftAloneForMinutesItWandersInsteadOfFlyingOffOneWay)
{
    other->SetAmbient();
    // Draws from [0, 1] would pull the drift onto this diagonal for good.
    const glm::vec3 diagonal = glm::normalize(glm::vec3(1.0f));
    float lowest = 1.0f;
    for (int second = 0; second < 600; ++second)
    {
        Run(1.0f);
        EXPECT_NEAR(glm::length(other->GetDrift()), 1.0f, 1e-4f);
        lowest = std::min(lowest, glm::dot(other->GetDrift(), diagonal));
    }
    EXPECT_LT(lowest, 0.3f);
    // No light was ever handed to an ambient companion: the level's light stays as it was.
    EXPECT_EQ(light->GetAttenuation(), kRestingAttenuation);
}

TEST_F(OtherTest, TheSunCopiesItAndGoneReferencesSkipTheirStepWithOneWarning)
{
    Game::Object* sun = game.CreateObject("Sun");
    ASSERT_TRUE(sun->Parse(Testing::ParseXml("<Object><Transform/></Object>").get()));
    other->SetSun(sun->GetComponent<Game::TransformComponent>());
    Run(0.5f);
    EXPECT_EQ(sun->GetComponent<Game::TransformComponent>()->GetPosition(), transform->GetPosition());
    EXPECT_EQ(sun->GetComponent<Game::TransformComponent>()->GetScale(), transform->GetScale());

    Testing::LogCapture log;
    lightObject->DetachComponent(light.get());
    light.reset();
    game.MarkForDeletion(lightObject);
    game.MarkForDeletion(sun);
    for (const std::string& name : other->GetOrbitalNames())
    {
        game.MarkForDeletion(game.GetObject(name));
    }
    game.Update(kStep);
    Run(0.5f);
    EXPECT_EQ(Testing::CountOf(log.Text(), "The light 'Pointlight' is gone"), 1u) << log.Text();
    EXPECT_EQ(Testing::CountOf(log.Text(), "The sun 'Sun' is gone"), 1u) << log.Text();
    EXPECT_EQ(Testing::CountOf(log.Text(), "The orbital '"), 1u) << log.Text();
}

TEST_F(OtherTest, ItsOrbitalsCircleItAndGoWithIt)
{
    const std::size_t before = game.GetObjectCount();
    for (const std::string& name : other->GetOrbitalNames())
    {
        ASSERT_NE(game.GetObject(name), nullptr);
    }
    Run(1.0f);
    for (const std::string& name : other->GetOrbitalNames())
    {
        const auto* floating = game.GetObject(name)->GetComponent<FloatingObject>();
        EXPECT_NEAR(glm::distance(floating->GetPivot(), transform->GetPosition()), Other::kOrbitRadius,
                    0.05f);
    }
    game.MarkForDeletion(companion);
    game.Update(kStep);
    game.Update(kStep);
    // The companion, its three orbitals and its aura.
    EXPECT_EQ(game.GetObjectCount(), before - 5u);
}
} // namespace
} // namespace Morvane
