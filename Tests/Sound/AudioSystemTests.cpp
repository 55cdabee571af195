#include "AudioFixture.h"
#include "Component/TransformComponent.h"
#include "Resources/ResourceSystem.h"
#include "Sound/AudioComponent.h"
#include "Sound/Sound.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace Morvane::Testing
{
namespace
{
class AudioSystem : public AudioFixture
{
};

class AudioComponent : public AudioFixture
{
protected:
    // An object with an audio component, initialised; fails the test if either step fails.
    ObjectPointer Speaker(const std::string& description)
    {
        ObjectPointer object = MakeObject("Speaker", description);
        EXPECT_NE(object, nullptr);
        EXPECT_TRUE(object && object->Initialize());
        return object;
    }
    static Audio::Component& AudioOf(const Game::Object& object)
    {
        Audio::Component* audio = object.GetComponent<Audio::Component>();
        if (audio == nullptr)
        {
            throw std::logic_error("the object has no audio component");
        }
        return *audio;
    }
};

TEST(AudioSystemStart, WithoutDeviceRunsOnTheNoSoundOutput)
{
    LogCapture log;
    Audio::System& audio = Audio::System::GetInstance();
    audio.SetVolume(0.25f);
    ASSERT_TRUE(audio.Initialize());
    EXPECT_TRUE(log.Contains("No audio devices detected"));
    EXPECT_EQ(audio.GetBackend()->GetOutput(), Audio::Backend::OutputType::NoSound);
    EXPECT_EQ(audio.GetChannelGroup()->GetName(), "AllSounds");
    EXPECT_EQ(audio.GetChannelGroup()->GetVolume(), 0.25f) << "the volume set before start applies";
    audio.Release();
    EXPECT_EQ(audio.GetBackend(), nullptr);
}

TEST_F(AudioSystem, OneShotIsHeardOnceAndGivesItsChannelBack)
{
    m_audio.PlaySound("Tone");
    EXPECT_NEAR(Peak(Render(190)), kAmplitude, kTolerance);
    Render(20);
    EXPECT_EQ(Peak(Render(500)), 0.0f);
    m_audio.Update(0.016f);
    EXPECT_EQ(m_audio.GetBackend()->GetFreeSourceCount(), std::size_t{Audio::System::kChannelCount});
}

TEST_F(AudioSystem, MasterVolumeScalesTheMix)
{
    m_audio.SetVolume(0.5f);
    m_audio.PlaySound("Long");
    EXPECT_NEAR(Level(), kAmplitude * 0.5f, kTolerance);
    m_audio.SetVolume(0.0f);
    EXPECT_EQ(Level(), 0.0f) << "a playing sound follows the master volume";
}

TEST_F(AudioSystem, ThreeDimensionalSoundFallsOffLinearlyFromTheListener)
{
    const auto levelAt = [this](float distance, const char* sound = "Tone3D")
    {
        m_audio.PlaySound3D(sound, {100, 0, -distance}, 10.0f, 20.0f);
        const float level = Level();
        // Fire-and-forget sounds cannot be stopped: start over with a fresh output and sound.
        m_audio.Release();
        Resources::System::GetInstance().UnloadResource(sound);
        EXPECT_TRUE(m_audio.Initialize());
        FreezeClock();
        m_audio.SetListener({100, 0, 0}, {0, 0, -1}, {0, 1, 0});
        return level;
    };
    EXPECT_EQ(levelAt(15.0f), 0.0f) << "the listener starts 100 away";
    EXPECT_NEAR(levelAt(10.0f), kAmplitude, kTolerance) << "at the minimum distance";
    EXPECT_NEAR(levelAt(15.0f), kAmplitude * 0.5f, kTolerance) << "halfway to the maximum";
    EXPECT_EQ(levelAt(25.0f), 0.0f) << "beyond the maximum";
    EXPECT_NEAR(levelAt(15.0f, "Stereo3D"), kAmplitude * 0.5f, kTolerance) << "a stereo file is placed too";
}

TEST_F(AudioSystem, PlaybackFollowsTheClockWhenNothingRendersTheMix)
{
    std::uint32_t now = 1000;
    m_audio.GetBackend()->SetClock([&now] { return now; });
    m_audio.PlaySound("Tone");
    m_audio.Update(0.016f);
    now += 150;
    m_audio.Update(0.016f);
    EXPECT_LT(m_audio.GetBackend()->GetFreeSourceCount(), std::size_t{Audio::System::kChannelCount});
    now += 60;
    m_audio.Update(0.016f);
    EXPECT_EQ(m_audio.GetBackend()->GetFreeSourceCount(), std::size_t{Audio::System::kChannelCount});
}

TEST_F(AudioSystem, UnloadingAPlayingSoundStopsItAndSoundsOutliveTheOutput)
{
    m_audio.PlaySound("Long");
    EXPECT_NEAR(Level(), kAmplitude, kTolerance);
    Resources::System::GetInstance().UnloadResource("Long");
    EXPECT_EQ(Level(), 0.0f);
    EXPECT_EQ(m_audio.GetBackend()->GetFreeSourceCount(), std::size_t{Audio::System::kChannelCount});
    ASSERT_NE(Resources::System::GetInstance().GetResource<Audio::Sound>("Tone"), nullptr);
    m_audio.Release();
    LogCapture log;
    Resources::System::GetInstance().Release();
    EXPECT_FALSE(log.Contains("Could not release"));
}

TEST_F(AudioSystem, FailedPlaysAreLoggedAndSilentButAFlatSoundPlayedAs3DPlaysFlat)
{
    LogCapture log;
    m_audio.PlaySound("Nope");
    m_audio.PlaySound3D("Nope", {0, 0, 0}, 1, 2);
    m_audio.PlaySound3D("Tone3D", {0, 0, -1}, 20.0f, 10.0f);
    EXPECT_EQ(Level(), 0.0f);
    m_audio.PlaySound3D("Long", {0, 0, -1000}, 10.0f, 20.0f);
    EXPECT_NEAR(Level(), kAmplitude, kTolerance);
    EXPECT_TRUE(Logged(log, "Could not play sound 'Nope'"));
    EXPECT_TRUE(Logged(log, "Could not place sound"));
    EXPECT_TRUE(Logged(log, "Trying to play a 3D sound that is not 3D [Long]"));
}

TEST_F(AudioSystem, SoundDefinitionsAreChecked)
{
    const std::string garbage = m_folder.Write("garbage.ogg", "this is not a sound file");
    Define(R"(<Sound name="Empty"/>
              <Sound name="Missing" path="$(LocalFolder)NoSuchFolder/none.ogg"/>
              <Sound name="Garbage" path=")" +
           garbage + R"("/>)");
    LogCapture log;
    for (const char* name : {"Empty", "Missing", "Garbage"})
    {
        EXPECT_EQ(Resources::System::GetInstance().GetResource<Audio::Sound>(name), nullptr) << name;
    }
    EXPECT_TRUE(Logged(log, "Sound 'Empty': No audio filename specified"));
    EXPECT_TRUE(Logged(log, "NoSuchFolder/none.ogg' because 'File not found.'."));
    EXPECT_TRUE(Logged(log, "garbage.ogg' because 'Unsupported or damaged audio file.'."));
}

TEST_F(AudioComponent, PlaysOnceOrLoopsUntilStoppedAtItsOwnVolume)
{
    const ObjectPointer music = Speaker(R"(<Audio sound="Tone" playOnStart="true"/>)");
    Render(1000);
    m_audio.Update(0.016f);
    EXPECT_TRUE(AudioOf(*music).IsPlaying()) << "play on start loops endlessly";
    EXPECT_NEAR(Level(), kAmplitude, kTolerance);
    AudioOf(*music).Stop();
    EXPECT_FALSE(AudioOf(*music).IsPlaying());
    EXPECT_EQ(Level(), 0.0f);

    const ObjectPointer object = Speaker(R"(<Audio sound="Tone" volume="0.5"/>)");
    Audio::Component& audio = AudioOf(*object);
    audio.Play(false);
    EXPECT_NEAR(Level(), kAmplitude * 0.5f, kTolerance);
    Render(300);
    EXPECT_FALSE(audio.IsPlaying());
    EXPECT_EQ(Level(), 0.0f);
}

TEST_F(AudioComponent, ProgressIsZeroBeforePlayingAndGrowsWhilePlaying)
{
    const ObjectPointer object = Speaker(R"(<Audio sound="Long"/>)");
    Audio::Component& audio = AudioOf(*object);
    EXPECT_EQ(audio.GetProgress(), 0.0f) << "never played";
    audio.Play(false);
    EXPECT_EQ(audio.GetProgress(), 0.0f) << "not mixed yet";
    Render(500);
    EXPECT_NEAR(audio.GetProgress(), 0.25f, 0.01f);
    Render(500);
    EXPECT_NEAR(audio.GetProgress(), 0.5f, 0.01f);
    Render(1100);
    EXPECT_EQ(audio.GetProgress(), 0.0f) << "finished";
}

TEST_F(AudioComponent, MovingObjectIsHeardFromItsNewPlaceFromTheNextUpdate)
{
    const ObjectPointer object = Speaker(
        R"(<Transform position="0;0;-10"/><Audio sound="Tone3D" minDistance="10" maxDistance="20"/>)");
    AudioOf(*object).Play(true);
    EXPECT_NEAR(Level(), kAmplitude, kTolerance);

    object->GetComponent<Game::TransformComponent>()->SetPosition({0, 0, -15});
    EXPECT_NEAR(Level(), kAmplitude, kTolerance) << "moves only with the update";
    m_audio.Update(0.016f);
    EXPECT_NEAR(Level(), kAmplitude * 0.5f, kTolerance);

    object->GetComponent<Game::TransformComponent>()->SetPosition({0, 0, -30});
    m_audio.Update(0.016f);
    EXPECT_EQ(Level(), 0.0f);
    AudioOf(*object).SetDistances(30.0f, 40.0f);
    AudioOf(*object).SetVolume(0.5f);
    EXPECT_NEAR(Level(), kAmplitude * 0.5f, kTolerance) << "new settings reach the playing channel";
}

TEST_F(AudioComponent, WhenEveryChannelIsBusyTheOldestPlaybackGivesWay)
{
    const ObjectPointer first = Speaker(R"(<Audio sound="Long"/>)");
    const ObjectPointer second = Speaker(R"(<Audio sound="Long"/>)");
    AudioOf(*first).Play(true);
    AudioOf(*second).Play(true);
    for (int sound = 2; sound < Audio::System::kChannelCount; ++sound)
    {
        m_audio.PlaySound("Long");
    }
    EXPECT_EQ(m_audio.GetBackend()->GetFreeSourceCount(), 0u);
    m_audio.PlaySound("Long");
    EXPECT_FALSE(AudioOf(*first).IsPlaying());
    EXPECT_TRUE(AudioOf(*second).IsPlaying());
}

TEST_F(AudioComponent, MisusesAreLoggedOrAsserted)
{
    const ObjectPointer floating = MakeObject("Floating", R"(<Audio sound="Tone3D"/>)");
    const ObjectPointer mute = MakeObject("Mute", R"(<Transform/><Audio/>)");
    ASSERT_TRUE(floating && mute);
    LogCapture log;
    EXPECT_EQ(MakeObject("Speaker", R"(<Audio sound="Nope"/>)"), nullptr);
    EXPECT_EQ(m_audio.GetComponents().size(), 2u) << "the failed component is handed back";
    EXPECT_FALSE(floating->Initialize());
    EXPECT_THROW(AudioOf(*floating).Play(false), std::runtime_error);
    try
    {
        AudioOf(*mute).Play(false);
        ADD_FAILURE() << "no assertion";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_NE(std::string(error.what()).find("m_sound"), std::string::npos) << error.what();
    }
    AudioOf(*mute).Clone(mute->GetComponent<Game::TransformComponent>());
    const std::string text = log.Text();
    const auto notFound = text.find("Could not set sound 'Nope', not found");
    ASSERT_NE(notFound, std::string::npos);
    EXPECT_LT(notFound, text.find("Sound not specified"));
    EXPECT_TRUE(Logged(log, "Speaker/Audio"));
    EXPECT_TRUE(Logged(log, "Trying to use a 3D sound without transform"));
    EXPECT_TRUE(Logged(log, "Mute/Audio: Tried to clone incorrect types"));
}

TEST_F(AudioComponent, PlayingWithoutOutputIsLoggedNotFatal)
{
    const ObjectPointer object = MakeObject("Speaker", R"(<Audio sound="Tone"/>)");
    ASSERT_NE(object, nullptr);
    m_audio.Release();
    EXPECT_TRUE(object->GetComponents().empty()) << "the release took the component from its object";
    const ObjectPointer orphan = MakeObject("Late", R"(<Audio sound="Tone"/>)");
    ASSERT_NE(orphan, nullptr);
    LogCapture log;
    AudioOf(*orphan).Play(true);
    EXPECT_TRUE(Logged(log, "Could not play sound 'Tone': no audio output"));
    EXPECT_FALSE(AudioOf(*orphan).IsPlaying());
}

TEST_F(AudioComponent, DestroyedObjectStopsItsSoundAndHandsItsComponentBack)
{
    ObjectPointer object = Speaker(R"(<Audio sound="Long" playOnStart="true"/>)");
    EXPECT_NEAR(Level(), kAmplitude, kTolerance);
    object.reset();
    EXPECT_TRUE(m_audio.GetComponents().empty());
    EXPECT_EQ(Level(), 0.0f);
}
} // namespace
} // namespace Morvane::Testing
