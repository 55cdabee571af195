#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Platform/ExecutablePath.h"
#include "Resources/ResourceSystem.h"
#include "Sound/AudioComponent.h"
#include "Sound/AudioSystem.h"
#include "Sound/Sound.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/Logging/Format.h"
#include "System/PathWrapper/PathWrapper.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <numbers>
#include <ranges>
#include <sndfile.h>
#include <stdexcept>
#include <thread>

namespace Morvane::Testing
{
namespace
{
// Keeps OpenAL Soft off the machine's sound devices (set before the first OpenAL call), so every test
// mixes on the no-sound output whether the machine has a sound card or not.
const bool kSilentOutput = setenv("ALSOFT_DRIVERS", "none", 1) == 0;

constexpr float kAmplitude = 0.5f;
constexpr float kTolerance = 0.02f;
using ObjectPointer = std::unique_ptr<Game::Object>;

// Writes a 441 Hz sine of amplitude kAmplitude as 16-bit WAV at 44.1 kHz.
void WriteTone(const std::string& path, float seconds, int channels = 1)
{
    SF_INFO info{0, 44100, channels, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << path;
    std::vector<float> samples;
    for (int frame = 0; frame < static_cast<int>(seconds * 44100.0f); ++frame)
    {
        const double phase = 2.0 * std::numbers::pi * 441.0 * frame / 44100.0;
        samples.insert(samples.end(), static_cast<std::size_t>(channels),
                       kAmplitude * static_cast<float>(std::sin(phase)));
    }
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size()) / channels);
    sf_close(file);
}

void Define(const std::string& definitions)
{
    ASSERT_TRUE(Resources::System::GetInstance().Parse(
        ParseXml("<ResourceSystem>" + definitions + "</ResourceSystem>").get()));
}

// An object made from the children of an "Object" element; null if it failed to parse.
ObjectPointer MakeObject(const std::string& name, const std::string& description)
{
    ObjectPointer object(new Game::Object(name));
    return object->Parse(ParseXml("<Object>" + description + "</Object>").get()) ? std::move(object)
                                                                                 : nullptr;
}

Audio::Component& AudioOf(const ObjectPointer& object)
{
    auto* audio = object ? object->GetComponent<Audio::Component>() : nullptr;
    return audio ? *audio : throw std::logic_error("no audio component");
}

// The audio system on the no-sound output, whose mix only the test advances, listening down -z. Tones
// are defined as "Tone" (200 ms), "Long" (2 s), "Tone3D" (3D, 2 s) and "Stereo3D" (a stereo file, 3D, 2 s).
class AudioSystem : public testing::Test
{
protected:
    void SetUp() override
    {
        PathWrapper::GetInstance().AddPath("Tones", m_folder.Path());
        WriteTone(m_folder.Path() + "tone.wav", 0.2f);
        WriteTone(m_folder.Path() + "long.wav", 2.0f);
        WriteTone(m_folder.Path() + "stereo.wav", 2.0f, 2);
        Define(R"(<Sound name="Tone" path="$(Tones)tone.wav"/><Sound name="Long" path="$(Tones)long.wav"/>
                  <Sound name="Tone3D" path="$(Tones)long.wav" is3D="true"/>
                  <Sound name="Stereo3D" path="$(Tones)stereo.wav" is3D="true"/>)");
        Start();
    }
    void TearDown() override
    {
        m_audio.Release();
        Resources::System::GetInstance().Release();
    }

    // Starts the output with its clock stopped, so that only Render moves playback on.
    void Start(const glm::vec3& listener = {})
    {
        ASSERT_TRUE(m_audio.Initialize());
        m_audio.GetBackend()->SetClock([] { return 0u; });
        m_audio.SetListener(listener, {0, 0, -1}, {0, 1, 0});
    }
    std::vector<float> Render(unsigned milliseconds)
    {
        std::vector<float> mix(static_cast<std::size_t>(m_audio.GetBackend()->GetSampleRate()) *
                               milliseconds / 1000);
        EXPECT_EQ(m_audio.GetBackend()->Render(mix), Audio::Backend::Result::Ok);
        return mix;
    }
    static float Peak(const std::vector<float>& samples)
    {
        return std::ranges::max(samples |
                                std::views::transform([](float sample) { return std::fabs(sample); }));
    }
    // Peak level of the next `milliseconds`, after letting volume ramps settle for 5 ms.
    float Level(unsigned milliseconds = 20)
    {
        Render(5);
        return Peak(Render(milliseconds));
    }
    std::size_t FreeChannels() const { return m_audio.GetBackend()->GetFreeSourceCount(); }
    ObjectPointer Speaker(const std::string& description)
    {
        ObjectPointer object = MakeObject("Speaker", description);
        EXPECT_TRUE(object && object->Initialize());
        return object;
    }

    Audio::System& m_audio = Audio::System::GetInstance();
    TempDirectory m_folder;
};

class AudioLoadingThreaded : public AudioSystem
{
protected:
    void SetUp() override
    {
        AudioSystem::SetUp();
        Resources::System::GetInstance().Initialize();
    }
    // Runs resource frames until `sound` is initialised (at most 10 s).
    static bool WaitUntilLoaded(const Audio::Sound& sound)
    {
        for (int frame = 0; frame < 1000 && !sound.IsInitialized(); ++frame)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            Resources::System::GetInstance().Update(0.016f);
        }
        return sound.IsInitialized();
    }
};

TEST_F(AudioSystem, OneShotIsHeardOnceAndGivesItsChannelBackAfterTheMixOrTheClock)
{
    m_audio.PlaySound("Tone");
    EXPECT_NEAR(Peak(Render(190)), kAmplitude, kTolerance);
    Render(20);
    EXPECT_EQ(Peak(Render(500)), 0.0f);
    m_audio.Update(0.016f);
    EXPECT_EQ(FreeChannels(), std::size_t{Audio::System::kChannelCount});

    // Where nothing renders the mix, playback follows the clock.
    std::uint32_t now = 1000;
    m_audio.GetBackend()->SetClock([&now] { return now; });
    m_audio.PlaySound("Tone");
    for (const unsigned step : {0u, 150u, 60u})
    {
        now += step;
        m_audio.Update(0.016f);
        EXPECT_EQ(FreeChannels() == std::size_t{Audio::System::kChannelCount}, now == 1210) << now;
    }
}

TEST_F(AudioSystem, WithoutDeviceStartsOnTheNoSoundOutputAndTheMasterVolumeScalesTheMix)
{
    m_audio.Release();
    EXPECT_EQ(m_audio.GetBackend(), nullptr);
    m_audio.SetVolume(0.5f);
    LogCapture log;
    Start();
    EXPECT_TRUE(log.Contains("No audio devices detected"));
    EXPECT_EQ(m_audio.GetBackend()->GetOutput(), Audio::Backend::OutputType::NoSound);
    EXPECT_EQ(m_audio.GetChannelGroup()->GetName(), "AllSounds");
    m_audio.PlaySound("Long");
    EXPECT_NEAR(Level(), kAmplitude * 0.5f, kTolerance) << "the volume set before start applies";
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
        Start({100, 0, 0});
        return level;
    };
    EXPECT_EQ(levelAt(15.0f), 0.0f) << "the listener starts 100 away";
    EXPECT_NEAR(levelAt(10.0f), kAmplitude, kTolerance) << "at the minimum distance";
    EXPECT_NEAR(levelAt(15.0f), kAmplitude * 0.5f, kTolerance) << "halfway to the maximum";
    EXPECT_EQ(levelAt(25.0f), 0.0f) << "beyond the maximum";
    EXPECT_NEAR(levelAt(15.0f, "Stereo3D"), kAmplitude * 0.5f, kTolerance) << "a stereo file is placed too";
}

TEST_F(AudioSystem, UnloadingAPlayingSoundStopsItAndSoundsOutliveTheOutput)
{
    const ObjectPointer speaker = Speaker(R"(<Audio sound="Long" playOnStart="true"/>)");
    m_audio.PlaySound("Long");
    EXPECT_EQ(FreeChannels(), std::size_t{Audio::System::kChannelCount} - 2);
    Resources::System::GetInstance().UnloadResource("Long");
    EXPECT_EQ(Level(), 0.0f);
    EXPECT_EQ(FreeChannels(), std::size_t{Audio::System::kChannelCount});
    // The component forgot the sound: updating it is harmless, playing it is a reported misuse.
    EXPECT_EQ(AudioOf(speaker).GetSound(), nullptr);
    m_audio.Update(0.016f);
    EXPECT_FALSE(AudioOf(speaker).IsPlaying());
    EXPECT_THAT([&] { AudioOf(speaker).Play(true); },
                testing::ThrowsMessage<std::runtime_error>(testing::HasSubstr("m_sound")));
    ASSERT_NE(Resources::System::GetInstance().GetResource<Audio::Sound>("Tone"), nullptr);
    m_audio.Release();
    LogCapture log;
    Resources::System::GetInstance().Release();
    EXPECT_FALSE(log.Contains("Could not release"));
}

TEST_F(AudioSystem, BadSoundsAndFailedPlaysAreLoggedAndSilentButAFlatSoundPlayedAs3DPlaysFlat)
{
    Define(R"(<Sound name="Empty"/><Sound name="Missing" path="$(LocalFolder)NoSuchFolder/none.ogg"/>
              <Sound name="Garbage" path=")" +
           m_folder.Write("garbage.ogg", "this is not a sound file") + R"("/>)");
    LogCapture log;
    for (const char* name : {"Empty", "Missing", "Garbage"})
    {
        EXPECT_EQ(Resources::System::GetInstance().GetResource<Audio::Sound>(name), nullptr) << name;
    }
    m_audio.PlaySound("Nope");
    m_audio.PlaySound3D("Nope", {0, 0, 0}, 1, 2);
    m_audio.PlaySound3D("Tone3D", {0, 0, -1}, 20.0f, 10.0f);
    EXPECT_EQ(Level(), 0.0f);
    m_audio.PlaySound3D("Long", {0, 0, -1000}, 10.0f, 20.0f);
    EXPECT_NEAR(Level(), kAmplitude, kTolerance);
    EXPECT_TRUE(log.ContainsWrapped("Could not play sound 'Nope'"));
    EXPECT_TRUE(log.ContainsWrapped("Could not place sound"));
    EXPECT_TRUE(log.ContainsWrapped("Trying to play a 3D sound that is not 3D [Long]"));
    EXPECT_TRUE(log.ContainsWrapped("Sound 'Empty': No audio filename specified"));
    EXPECT_TRUE(log.ContainsWrapped("NoSuchFolder/none.ogg' because 'File not found.'."));
    EXPECT_TRUE(log.ContainsWrapped("garbage.ogg' because 'Unsupported or damaged audio file.'."));
}

TEST_F(AudioSystem, ComponentPlaysOnceWithItsProgressOrLoopsUntilStoppedAtItsOwnVolume)
{
    const ObjectPointer music = Speaker(R"(<Audio sound="Tone" playOnStart="true"/>)");
    Render(1000);
    m_audio.Update(0.016f);
    EXPECT_TRUE(AudioOf(music).IsPlaying()) << "play on start loops endlessly";
    EXPECT_NEAR(Level(), kAmplitude, kTolerance);
    AudioOf(music).Stop();
    EXPECT_FALSE(AudioOf(music).IsPlaying());
    EXPECT_EQ(Level(), 0.0f);

    const ObjectPointer object = Speaker(R"(<Audio sound="Long" volume="0.5"/>)");
    Audio::Component& once = AudioOf(object);
    EXPECT_EQ(once.GetProgress(), 0.0f) << "never played";
    once.Play(false);
    EXPECT_EQ(once.GetProgress(), 0.0f) << "not mixed yet";
    EXPECT_NEAR(Level(495), kAmplitude * 0.5f, kTolerance);
    EXPECT_NEAR(once.GetProgress(), 0.25f, 0.01f);
    Render(500);
    EXPECT_NEAR(once.GetProgress(), 0.5f, 0.01f);
    Render(1100);
    EXPECT_FALSE(once.IsPlaying());
    EXPECT_EQ(once.GetProgress(), 0.0f) << "finished";
    EXPECT_EQ(Level(), 0.0f);
}

TEST_F(AudioSystem, ComponentOnAMovingObjectIsHeardFromItsNewPlaceFromTheNextUpdate)
{
    const ObjectPointer object = Speaker(
        R"(<Transform position="0;0;-10"/><Audio sound="Tone3D" minDistance="10" maxDistance="20"/>)");
    auto& transform = *object->GetComponent<Game::TransformComponent>();
    AudioOf(object).Play(true);
    EXPECT_NEAR(Level(), kAmplitude, kTolerance);
    transform.SetPosition({0, 0, -15});
    EXPECT_NEAR(Level(), kAmplitude, kTolerance) << "moves only with the update";
    m_audio.Update(0.016f);
    EXPECT_NEAR(Level(), kAmplitude * 0.5f, kTolerance);
    transform.SetPosition({0, 0, -30});
    m_audio.Update(0.016f);
    EXPECT_EQ(Level(), 0.0f);
    AudioOf(object).SetDistances(30.0f, 40.0f);
    AudioOf(object).SetVolume(0.5f);
    EXPECT_NEAR(Level(), kAmplitude * 0.5f, kTolerance) << "new settings reach the playing channel";
}

TEST_F(AudioSystem, WhenEveryChannelIsBusyTheOldestPlaybackGivesWay)
{
    const ObjectPointer first = Speaker(R"(<Audio sound="Long" playOnStart="true"/>)");
    const ObjectPointer second = Speaker(R"(<Audio sound="Long" playOnStart="true"/>)");
    for (int sound = 2; sound < Audio::System::kChannelCount; ++sound)
    {
        m_audio.PlaySound("Long");
    }
    EXPECT_EQ(FreeChannels(), 0u);
    m_audio.PlaySound("Long");
    EXPECT_FALSE(AudioOf(first).IsPlaying());
    EXPECT_TRUE(AudioOf(second).IsPlaying());
}

TEST_F(AudioSystem, ComponentMisusesAreLoggedOrAsserted)
{
    const ObjectPointer floating = MakeObject("Floating", R"(<Audio sound="Tone3D"/>)");
    const ObjectPointer mute = MakeObject("Mute", R"(<Transform/><Audio/>)");
    const ObjectPointer backwards =
        MakeObject("Backwards", R"(<Transform/><Audio sound="Tone3D" minDistance="20" maxDistance="10"/>)");
    LogCapture log;
    AudioOf(backwards).Play(true);
    EXPECT_FALSE(AudioOf(backwards).IsPlaying()) << "refused distances stop the playback";
    EXPECT_EQ(MakeObject("Speaker", R"(<Audio sound="Nope"/>)"), nullptr);
    EXPECT_EQ(m_audio.GetComponents().size(), 3u) << "the failed component is handed back";
    EXPECT_FALSE(floating->Initialize());
    EXPECT_THROW(AudioOf(floating).Play(false), std::runtime_error);
    EXPECT_THAT([&] { AudioOf(mute).Play(false); },
                testing::ThrowsMessage<std::runtime_error>(testing::HasSubstr("m_sound")));
    EXPECT_THAT([&] { AudioOf(mute).Parse(nullptr); },
                testing::ThrowsMessage<std::runtime_error>(
                    testing::HasSubstr("'parserData' was false.\nSource\\Component\\Component.cpp: 55\n")));
    AudioOf(mute).Clone(mute->GetComponent<Game::TransformComponent>());
    const std::string text = log.Text();
    const auto notFound = text.find("Could not set sound 'Nope', not found");
    ASSERT_NE(notFound, std::string::npos);
    EXPECT_LT(notFound, text.find("Sound not specified"));
    EXPECT_TRUE(log.ContainsWrapped("Speaker/Audio"));
    EXPECT_TRUE(log.ContainsWrapped("Trying to use a 3D sound without transform"));
    EXPECT_TRUE(log.ContainsWrapped("Mute/Audio: Tried to clone incorrect types"));
    EXPECT_TRUE(log.ContainsWrapped("Backwards/Audio: Could not place sound"));
}

TEST_F(AudioSystem, ComponentLeavesWithItsObjectOrTheOutputAndPlayingWithoutOutputIsNotFatal)
{
    ObjectPointer playing = Speaker(R"(<Audio sound="Long" playOnStart="true"/>)");
    EXPECT_NEAR(Level(), kAmplitude, kTolerance);
    playing.reset();
    EXPECT_TRUE(m_audio.GetComponents().empty());
    EXPECT_EQ(Level(), 0.0f) << "a destroyed object stops its sound";

    const ObjectPointer object = MakeObject("Speaker", R"(<Audio sound="Tone"/>)");
    m_audio.Release();
    EXPECT_TRUE(object->GetComponents().empty()) << "the release took the component from its object";
    const ObjectPointer orphan = MakeObject("Late", R"(<Audio sound="Tone"/>)");
    LogCapture log;
    AudioOf(orphan).Play(true);
    EXPECT_TRUE(log.ContainsWrapped("Could not play sound 'Tone': no audio output"));
    EXPECT_FALSE(AudioOf(orphan).IsPlaying());
}

TEST_F(AudioLoadingThreaded, PlayWaitsForASoundLoadingInTheBackgroundUnlessStopped)
{
    Define(R"(<Sound name="Background" path="$(Tones)long.wav" multiThreaded="true"/>)");
    const ObjectPointer music = MakeObject("BackgroundMusic", R"(<Audio sound="Background"/>)");
    const ObjectPointer stopped = MakeObject("Stopped", R"(<Audio sound="Background"/>)");
    Audio::Component& audio = AudioOf(music);
    audio.Play(true);
    EXPECT_TRUE(audio.IsPlaying()) << "a requested playback counts as playing while its sound loads";
    EXPECT_EQ(audio.GetProgress(), 0.0f);
    AudioOf(stopped).Play(true);
    AudioOf(stopped).Stop();
    EXPECT_FALSE(AudioOf(stopped).IsPlaying());

    ASSERT_TRUE(WaitUntilLoaded(*audio.GetSound()));
    EXPECT_EQ(Level(), 0.0f) << "starts with the next audio update";
    m_audio.Update(0.016f);
    EXPECT_NEAR(Level(), kAmplitude, kTolerance) << "one playback: the stopped one stays silent";
    EXPECT_GT(audio.GetProgress(), 0.0f);
}

TEST_F(AudioLoadingThreaded, PlayOfABackgroundSoundThatCannotStartIsDroppedAndLogged)
{
    Define(R"(<Sound name="Missing" path="$(Tones)nope.wav" multiThreaded="true"/>
              <Sound name="Unnamed" multiThreaded="true"/>
              <Sound name="Background3D" path="$(Tones)long.wav" is3D="true" multiThreaded="true"/>)");
    LogCapture log;
    std::vector<ObjectPointer> speakers;
    for (const char* name : {"Missing", "Unnamed", "Background3D"})
    {
        speakers.push_back(MakeObject(name, Format(R"(<Audio sound="%s"/>)", name)));
        AudioOf(speakers.back()).Play(true);
    }
    const auto anyPlaying = [&]
    {
        return std::ranges::any_of(speakers,
                                   [](const ObjectPointer& speaker) { return AudioOf(speaker).IsPlaying(); });
    };
    for (int frame = 0; frame < 1000 && anyPlaying(); ++frame)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        Resources::System::GetInstance().Update(0.016f);
        m_audio.Update(0.016f);
    }
    EXPECT_FALSE(anyPlaying());
    AudioOf(speakers.front()).Play(false);
    EXPECT_FALSE(AudioOf(speakers.front()).IsPlaying()) << "a sound known to be broken is not waited for";
    EXPECT_EQ(Level(), 0.0f);
    EXPECT_TRUE(log.ContainsWrapped("Missing/Audio: Could not play sound 'Missing'"));
    EXPECT_TRUE(log.ContainsWrapped("Unnamed/Audio: Could not play sound 'Unnamed'"));
    EXPECT_TRUE(log.ContainsWrapped("Background3D/Audio: Trying to use a 3D sound without transform"));
}

TEST_F(AudioLoadingThreaded, EverySoundOfTheGameLoads)
{
    // The build links the data folders next to the test programs' folder.
    const std::string buildFolder = PathWrapper::GetFolder(Platform::GetExecutablePath()) + "../";
    PathWrapper::GetInstance().AddPath("LocalFolder", buildFolder);
    FileParser parser;
    IParserData* sounds = parser.Parse(buildFolder + "Resources/Sounds.xml");
    ASSERT_TRUE(Resources::System::GetInstance().Parse(sounds));
    LogCapture log;
    for (const IParserData* definition = sounds->GetFirstChild(); definition;
         definition = definition->GetNextSibling())
    {
        const std::string name = definition->GetAttribute("name", "");
        auto* sound = Resources::System::GetInstance().GetResource<Audio::Sound>(name);
        ASSERT_TRUE(sound && WaitUntilLoaded(*sound)) << name;
        // The music, loaded in the background, lasts at least five seconds.
        EXPECT_GE(sound->GetLength(), definition->GetAttributeBool("multiThreaded", false) ? 5000u : 1u)
            << name;
    }
    m_audio.PlaySound3D("Sound_HeartBeat", {0, 0, -1}, 10.0f, 20.0f);
    EXPECT_GT(Level(100), 0.1f);
    EXPECT_FALSE(log.Contains("Could not"));
}
} // namespace
} // namespace Morvane::Testing
