#include "AudioFixture.h"
#include "Component/TransformComponent.h"
#include "Resources/ResourceSystem.h"
#include "Sound/AudioComponent.h"
#include "Sound/Sound.h"
#include "System/Logging/Format.h"

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
    static Audio::Component* AudioOf(const Game::Object& object)
    {
        Audio::Component* audio = object.GetComponent<Audio::Component>();
        if (audio == nullptr)
        {
            throw std::logic_error("the object has no audio component");
        }
        return audio;
    }
};

TEST(AudioSystemStart, WithoutDeviceRunsOnTheNoSoundOutput)
{
    LogCapture log;
    Audio::System& audio = Audio::System::GetInstance();
    audio.SetVolume(0.25f);
    ASSERT_TRUE(audio.Initialize());
    EXPECT_TRUE(log.Contains("No audio devices detected"));
    ASSERT_NE(audio.GetBackend(), nullptr);
    EXPECT_EQ(audio.GetBackend()->GetOutput(), Audio::Backend::OutputType::NoSound);
    ASSERT_NE(audio.GetChannelGroup(), nullptr);
    EXPECT_EQ(audio.GetChannelGroup()->GetName(), "AllSounds");
    EXPECT_EQ(audio.GetChannelGroup()->GetVolume(), 0.25f) << "the volume set before start applies";

    audio.Release();
    EXPECT_EQ(audio.GetBackend(), nullptr);
    EXPECT_EQ(audio.GetChannelGroup(), nullptr);
    ASSERT_TRUE(audio.Initialize()) << "the system starts again after a release";
    audio.Release();
}

TEST_F(AudioSystem, OneShotIsHeardOnce)
{
    m_audio.PlaySound("Tone");
    EXPECT_NEAR(MixCapture::Peak(m_mix->Render(190)), kAmplitude, kTolerance);
    m_mix->Render(20);
    EXPECT_EQ(MixCapture::Peak(m_mix->Render(500)), 0.0f);
    m_audio.Update(0.016f);
    EXPECT_EQ(m_audio.GetBackend()->GetFreeSourceCount(), std::size_t{Audio::System::kChannelCount});
}

TEST_F(AudioSystem, MasterVolumeScalesTheMix)
{
    m_audio.SetVolume(0.5f);
    m_audio.PlaySound("Long");
    EXPECT_NEAR(m_mix->Level(), kAmplitude * 0.5f, kTolerance);
    m_audio.SetVolume(1.0f);
    EXPECT_NEAR(m_mix->Level(), kAmplitude, kTolerance);
    m_audio.SetVolume(0.0f);
    EXPECT_EQ(m_mix->Level(), 0.0f);
}

TEST_F(AudioSystem, ThreeDimensionalSoundFallsOffLinearly)
{
    const auto levelAt = [this](float distance)
    {
        m_audio.PlaySound3D("Tone3D", {0, 0, -distance}, 10.0f, 20.0f);
        const float level = m_mix->Level();
        // Fire-and-forget sounds cannot be stopped: start over with a fresh output and sound.
        m_audio.Release();
        Resources::System::GetInstance().UnloadResource("Tone3D");
        EXPECT_TRUE(m_audio.Initialize());
        m_mix = std::make_unique<MixCapture>(*m_audio.GetBackend());
        return level;
    };
    EXPECT_NEAR(levelAt(10.0f), kAmplitude, kTolerance) << "at the minimum distance";
    EXPECT_NEAR(levelAt(15.0f), kAmplitude * 0.5f, kTolerance) << "halfway to the maximum";
    EXPECT_EQ(levelAt(25.0f), 0.0f) << "beyond the maximum";
}

TEST_F(AudioSystem, ListenerPlacesTheHearer)
{
    m_audio.PlaySound3D("Tone3D", {100, 0, -15}, 10.0f, 20.0f);
    EXPECT_EQ(m_mix->Level(), 0.0f);
    m_audio.SetListener({100, 0, 0}, {0, 0, -1}, {0, 1, 0});
    EXPECT_NEAR(m_mix->Level(), kAmplitude * 0.5f, kTolerance);
}

TEST_F(AudioSystem, FlatSoundPlayedAs3DWarnsAndPlaysFlat)
{
    LogCapture log;
    m_audio.PlaySound3D("Long", {0, 0, -1000}, 10.0f, 20.0f);
    EXPECT_TRUE(Logged(log, "Trying to play a 3D sound that is not 3D [Long]"));
    EXPECT_NEAR(m_mix->Level(), kAmplitude, kTolerance);
}

TEST_F(AudioSystem, BadDistancesDoNotPlay)
{
    LogCapture log;
    m_audio.PlaySound3D("Tone3D", {0, 0, -1}, 20.0f, 10.0f);
    EXPECT_TRUE(Logged(log, "Could not place sound"));
    EXPECT_EQ(m_mix->Level(), 0.0f);
}

TEST_F(AudioSystem, UnknownSoundIsLoggedAndSkipped)
{
    LogCapture log;
    m_audio.PlaySound("Nope");
    m_audio.PlaySound3D("Nope", {0, 0, 0}, 1, 2);
    EXPECT_TRUE(Logged(log, "Could not play sound 'Nope'"));
    EXPECT_EQ(m_mix->Level(), 0.0f);
}

TEST_F(AudioSystem, SoundDefinitionsAreChecked)
{
    Define(R"(<Sound name="Empty"/>
              <Sound name="Missing" path="$(LocalFolder)NoSuchFolder/none.ogg"/>)");
    LogCapture emptyLog;
    EXPECT_EQ(Resources::System::GetInstance().GetResource<Audio::Sound>("Empty"), nullptr);
    EXPECT_TRUE(Logged(emptyLog, "Sound 'Empty': No audio filename specified"));

    LogCapture missingLog;
    EXPECT_EQ(Resources::System::GetInstance().GetResource<Audio::Sound>("Missing"), nullptr);
    EXPECT_TRUE(Logged(missingLog, "NoSuchFolder/none.ogg' because 'File not found.'."));
}

TEST_F(AudioSystem, SoundResourceKnowsItsFileAndKind)
{
    auto* sound = Resources::System::GetInstance().GetResource<Audio::Sound>("Tone3D");
    ASSERT_NE(sound, nullptr);
    EXPECT_TRUE(sound->Is3D());
    EXPECT_TRUE(sound->IsInitialized());
    EXPECT_EQ(sound->GetLength(), 2000u);
    Resources::System::GetInstance().UnloadResource("Tone3D");
}

TEST_F(AudioSystem, SoundsOutliveTheOutput)
{
    auto* sound = Resources::System::GetInstance().GetResource<Audio::Sound>("Tone");
    ASSERT_NE(sound, nullptr);
    m_audio.Release();
    LogCapture log;
    Resources::System::GetInstance().Release();
    EXPECT_FALSE(log.Contains("Could not release"));
}

TEST_F(AudioComponent, DefaultsAndParsedSettings)
{
    const ObjectPointer plain = MakeObject("Plain", R"(<Audio/>)");
    ASSERT_NE(plain, nullptr);
    const Audio::Component* defaults = AudioOf(*plain);
    ASSERT_NE(defaults, nullptr);
    EXPECT_EQ(defaults->GetSound(), nullptr);
    EXPECT_FALSE(defaults->GetPlayOnStart());
    EXPECT_EQ(defaults->GetVolume(), 1.0f);
    EXPECT_EQ(defaults->GetMinDistance(), 100.0f);
    EXPECT_EQ(defaults->GetMaxDistance(), 110.0f);
    EXPECT_EQ(defaults->GetProgress(), 0.0f);
    EXPECT_FALSE(defaults->IsPlaying());

    const ObjectPointer set = MakeObject(
        "Set", R"(<Audio sound="Tone" playOnStart="true" volume="0.5" minDistance="3" maxDistance="4"/>)");
    ASSERT_NE(set, nullptr);
    const Audio::Component* parsed = AudioOf(*set);
    ASSERT_NE(parsed->GetSound(), nullptr);
    EXPECT_EQ(parsed->GetSound()->GetName(), "Tone");
    EXPECT_TRUE(parsed->GetPlayOnStart());
    EXPECT_EQ(parsed->GetVolume(), 0.5f);
    EXPECT_EQ(parsed->GetMinDistance(), 3.0f);
    EXPECT_EQ(parsed->GetMaxDistance(), 4.0f);
    EXPECT_EQ(m_audio.GetComponents().size(), 2u);
}

TEST_F(AudioComponent, UnknownSoundFailsTheParse)
{
    LogCapture log;
    EXPECT_EQ(MakeObject("Speaker", R"(<Audio sound="Nope"/>)"), nullptr);
    const std::string text = log.Text();
    const auto notFound = text.find("Could not set sound 'Nope', not found");
    const auto notSpecified = text.find("Sound not specified");
    ASSERT_NE(notFound, std::string::npos);
    ASSERT_NE(notSpecified, std::string::npos);
    EXPECT_LT(notFound, notSpecified);
    EXPECT_TRUE(Logged(log, "Speaker/Audio"));
    EXPECT_TRUE(m_audio.GetComponents().empty()) << "the failed component is handed back";
}

TEST_F(AudioComponent, ThreeDimensionalSoundNeedsATransform)
{
    const ObjectPointer object = MakeObject("Floating", R"(<Audio sound="Tone3D"/>)");
    ASSERT_NE(object, nullptr);
    LogCapture log;
    EXPECT_FALSE(object->Initialize());
    EXPECT_TRUE(Logged(log, "Trying to use a 3D sound without transform"));
    EXPECT_THROW(AudioOf(*object)->Play(false), std::runtime_error);
}

TEST_F(AudioComponent, PlayOnStartLoopsEndlessly)
{
    const ObjectPointer object = MakeObject("Music", R"(<Audio sound="Tone" playOnStart="true"/>)");
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->Initialize());
    m_mix->Render(1000);
    m_audio.Update(0.016f);
    EXPECT_TRUE(AudioOf(*object)->IsPlaying());
    EXPECT_NEAR(m_mix->Level(), kAmplitude, kTolerance);
}

TEST_F(AudioComponent, PlayOnceThenStop)
{
    const ObjectPointer object = MakeObject("Speaker", R"(<Audio sound="Tone" volume="0.5"/>)");
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->Initialize());
    Audio::Component* audio = AudioOf(*object);
    audio->Play(false);
    EXPECT_TRUE(audio->IsPlaying());
    EXPECT_NEAR(m_mix->Level(), kAmplitude * 0.5f, kTolerance) << "the component's volume";
    m_mix->Render(300);
    EXPECT_FALSE(audio->IsPlaying());

    audio->Play(true);
    m_mix->Render(500);
    EXPECT_TRUE(audio->IsPlaying());
    audio->Stop();
    EXPECT_FALSE(audio->IsPlaying());
    EXPECT_EQ(m_mix->Level(), 0.0f);
}

TEST_F(AudioComponent, ProgressGrowsWhilePlaying)
{
    const ObjectPointer object = MakeObject("Speaker", R"(<Audio sound="Long"/>)");
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->Initialize());
    Audio::Component* audio = AudioOf(*object);
    EXPECT_EQ(audio->GetProgress(), 0.0f) << "never played";
    audio->Play(false);
    EXPECT_EQ(audio->GetProgress(), 0.0f) << "not mixed yet";
    m_mix->Render(500);
    EXPECT_NEAR(audio->GetProgress(), 0.25f, 0.01f);
    m_mix->Render(500);
    EXPECT_NEAR(audio->GetProgress(), 0.5f, 0.01f);
    m_mix->Render(1100);
    EXPECT_EQ(audio->GetProgress(), 0.0f) << "finished";
}

TEST_F(AudioComponent, MovingObjectIsHeardFromItsNewPlaceFromTheNextUpdate)
{
    const ObjectPointer object = MakeObject(
        "Bee", R"(<Transform position="0;0;-10"/><Audio sound="Tone3D" minDistance="10" maxDistance="20"/>)");
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->Initialize());
    AudioOf(*object)->Play(true);
    EXPECT_NEAR(m_mix->Level(), kAmplitude, kTolerance);

    object->GetComponent<Game::TransformComponent>()->SetPosition({0, 0, -15});
    EXPECT_NEAR(m_mix->Level(), kAmplitude, kTolerance) << "moves only with the update";
    m_audio.Update(0.016f);
    EXPECT_NEAR(m_mix->Level(), kAmplitude * 0.5f, kTolerance);

    object->GetComponent<Game::TransformComponent>()->SetPosition({0, 0, -30});
    m_audio.Update(0.016f);
    EXPECT_EQ(m_mix->Level(), 0.0f);
}

TEST_F(AudioComponent, PlayingWithoutASoundIsAnAssertion)
{
    const ObjectPointer object = MakeObject("Mute", R"(<Audio/>)");
    ASSERT_NE(object, nullptr);
    try
    {
        AudioOf(*object)->Play(false);
        FAIL() << "no assertion";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_NE(std::string(error.what()).find("m_sound"), std::string::npos) << error.what();
    }
}

TEST_F(AudioComponent, PlayingWithoutOutputIsLoggedNotFatal)
{
    const ObjectPointer object = MakeObject("Speaker", R"(<Audio sound="Tone"/>)");
    ASSERT_NE(object, nullptr);
    m_audio.Release();
    const ObjectPointer orphan = MakeObject("Late", R"(<Audio sound="Tone"/>)");
    ASSERT_NE(orphan, nullptr);
    LogCapture log;
    AudioOf(*orphan)->Play(true);
    EXPECT_TRUE(Logged(log, "Could not play sound 'Tone': no audio output"));
    EXPECT_FALSE(AudioOf(*orphan)->IsPlaying());
    EXPECT_TRUE(object->GetComponents().empty()) << "the release took the component from its object";
}

TEST_F(AudioComponent, SettingsReachThePlayingChannel)
{
    const ObjectPointer object = MakeObject(
        "Bee",
        R"(<Transform position="0;0;-15"/><Audio sound="Tone3D" minDistance="100" maxDistance="110"/>)");
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->Initialize());
    Audio::Component* audio = AudioOf(*object);
    audio->Play(true);
    EXPECT_NEAR(m_mix->Level(), kAmplitude, kTolerance);
    audio->SetDistances(10.0f, 20.0f);
    EXPECT_NEAR(m_mix->Level(), kAmplitude * 0.5f, kTolerance);
    audio->SetVolume(0.5f);
    EXPECT_NEAR(m_mix->Level(), kAmplitude * 0.25f, kTolerance);
}

TEST_F(AudioComponent, CloneChecksTheDestinationKind)
{
    const ObjectPointer object = MakeObject("Source", R"(<Transform/><Audio sound="Tone"/>)");
    ASSERT_NE(object, nullptr);
    LogCapture log;
    AudioOf(*object)->Clone(object->GetComponent<Game::TransformComponent>());
    EXPECT_TRUE(Logged(log, "Source/Audio: Tried to clone incorrect types"));
}

TEST_F(AudioComponent, RemovingAnUnknownComponentIsLogged)
{
    Audio::Component stray(nullptr);
    LogCapture log;
    m_audio.RemoveComponent(&stray);
    EXPECT_TRUE(Logged(log, "Audio system"));
}

TEST_F(AudioComponent, ReleasedObjectHandsItsComponentBack)
{
    ObjectPointer object = MakeObject("Speaker", R"(<Audio sound="Long" playOnStart="true"/>)");
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->Initialize());
    EXPECT_NEAR(m_mix->Level(), kAmplitude, kTolerance);
    object.reset();
    EXPECT_TRUE(m_audio.GetComponents().empty());
    EXPECT_EQ(m_mix->Level(), 0.0f) << "destroying the component stops its sound";
}
} // namespace
} // namespace Morvane::Testing
