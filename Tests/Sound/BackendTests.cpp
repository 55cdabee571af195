#include "MixCapture.h"
#include "Sound/Backend/AudioSystem.h"
#include "Sound/Backend/Decoder.h"
#include "Support/TempDirectory.h"
#include "ToneFile.h"

#include <gtest/gtest.h>
#include <limits>
#include <thread>

namespace Morvane
{
namespace
{
using namespace Audio::Backend;

constexpr float kAmplitude = 0.5f;
constexpr float kTolerance = 0.02f;

class SoundBackend : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(AudioSystem::Create(system), Result::Ok);
        ASSERT_EQ(system->SetOutput(OutputType::NoSound), Result::Ok);
        ASSERT_EQ(system->Init(100), Result::Ok);
        capture = std::make_unique<Testing::MixCapture>(*system);
        ASSERT_EQ(system->Set3DListenerAttributes(0, {0, 0, 0}, {0, 0, -1}, {0, 1, 0}), Result::Ok);
    }

    std::unique_ptr<Sound> Load(float seconds, Mode mode, int channels = 1)
    {
        const std::string path =
            Testing::WriteTone(folder.Path() + "tone.wav", seconds, kAmplitude, channels);
        std::unique_ptr<Sound> sound;
        EXPECT_EQ(system->CreateSound(path, mode, sound), Result::Ok);
        return sound;
    }

    Channel Play(const Sound& sound, ChannelGroup* group = nullptr)
    {
        Channel channel;
        EXPECT_EQ(system->PlaySound(sound, group, channel), Result::Ok);
        return channel;
    }

    Testing::TempDirectory folder;
    std::unique_ptr<AudioSystem> system;
    std::unique_ptr<Testing::MixCapture> capture;
};

TEST_F(SoundBackend, OneShotIsHeardOnceAndGivesItsSourceBack)
{
    const auto sound = Load(0.2f, kMode2D | kModeLoopNormal);
    unsigned length = 0;
    ASSERT_EQ(sound->GetLength(length), Result::Ok);
    EXPECT_EQ(length, 200u);

    Channel channel = Play(*sound);
    ASSERT_EQ(channel.SetMode(kModeLoopNormal), Result::Ok);
    ASSERT_EQ(channel.SetLoopCount(0), Result::Ok);
    EXPECT_EQ(system->GetFreeSourceCount(), 99u);

    bool playing = false;
    EXPECT_EQ(channel.IsPlaying(playing), Result::Ok);
    EXPECT_TRUE(playing) << "a channel plays from the moment it is started";

    EXPECT_NEAR(Testing::MixCapture::Peak(capture->Render(190)), kAmplitude, kTolerance);
    capture->Render(20);
    EXPECT_EQ(Testing::MixCapture::Peak(capture->Render(500)), 0.0f) << "heard a second time";

    EXPECT_EQ(channel.IsPlaying(playing), Result::ErrorInvalidHandle);
    EXPECT_FALSE(playing);
    ASSERT_EQ(system->Update(), Result::Ok);
    EXPECT_EQ(system->GetFreeSourceCount(), 100u);
}

TEST_F(SoundBackend, EndlessLoopKeepsPlayingAndItsPositionWraps)
{
    const auto sound = Load(0.1f, kMode2D);
    Channel channel = Play(*sound);
    ASSERT_EQ(channel.SetMode(kModeLoopNormal), Result::Ok);
    ASSERT_EQ(channel.SetLoopCount(-1), Result::Ok);

    capture->Render(1025);
    EXPECT_NEAR(capture->Level(50), kAmplitude, kTolerance);
    bool playing = false;
    channel.IsPlaying(playing);
    EXPECT_TRUE(playing);
    unsigned position = 0;
    ASSERT_EQ(channel.GetPosition(position), Result::Ok);
    EXPECT_LT(position, 100u);

    ASSERT_EQ(channel.Stop(), Result::Ok);
    EXPECT_EQ(capture->Level(50), 0.0f);
    EXPECT_EQ(channel.Stop(), Result::ErrorInvalidHandle);
}

TEST_F(SoundBackend, FiniteLoopCountPlaysCountPlusOnePasses)
{
    const auto sound = Load(0.1f, kMode2D);
    Channel channel = Play(*sound);
    ASSERT_EQ(channel.SetMode(kModeLoopNormal), Result::Ok);
    ASSERT_EQ(channel.SetLoopCount(2), Result::Ok);

    EXPECT_NEAR(Testing::MixCapture::Peak(capture->Render(290)), kAmplitude, kTolerance);
    capture->Render(20);
    EXPECT_EQ(Testing::MixCapture::Peak(capture->Render(200)), 0.0f);
    EXPECT_EQ(channel.SetLoopCount(-2), Result::ErrorInvalidParameter);
}

TEST_F(SoundBackend, LoopOffModePlaysOnceEvenWithEndlessCount)
{
    const auto sound = Load(0.1f, kMode2D | kModeLoopNormal);
    Channel channel = Play(*sound);
    ASSERT_EQ(channel.SetMode(kModeLoopOff), Result::Ok);
    ASSERT_EQ(channel.SetLoopCount(-1), Result::Ok);
    capture->Render(120);
    EXPECT_EQ(capture->Level(100), 0.0f);
}

TEST_F(SoundBackend, GroupVolumeScalesEveryChannelInIt)
{
    ChannelGroup* group = nullptr;
    ASSERT_EQ(system->CreateChannelGroup("AllSounds", group), Result::Ok);
    ASSERT_EQ(group->SetVolume(0.5f), Result::Ok);
    const auto sound = Load(1.0f, kMode2D);

    Channel channel = Play(*sound, group);
    EXPECT_NEAR(capture->Level(), kAmplitude * 0.5f, kTolerance);

    ASSERT_EQ(group->SetVolume(1.0f), Result::Ok);
    EXPECT_NEAR(capture->Level(), kAmplitude, kTolerance) << "a playing channel follows the group";

    ASSERT_EQ(channel.SetVolume(0.5f), Result::Ok);
    ASSERT_EQ(group->SetVolume(0.5f), Result::Ok);
    EXPECT_NEAR(capture->Level(), kAmplitude * 0.25f, kTolerance) << "channel and group volumes multiply";

    ASSERT_EQ(group->SetVolume(7.0f), Result::Ok);
    float volume = 0.0f;
    group->GetVolume(volume);
    EXPECT_EQ(volume, 1.0f);

    ASSERT_EQ(group->Release(), Result::Ok);
    EXPECT_NEAR(capture->Level(), kAmplitude * 0.5f, kTolerance) << "channels outlive their group";
}

TEST_F(SoundBackend, LinearRolloffBetweenMinimumAndMaximumDistance)
{
    const auto sound = Load(1.0f, kMode3D);
    Channel channel = Play(*sound);
    ASSERT_EQ(channel.SetMode(kModeLoopNormal | kMode3DLinearRolloff), Result::Ok);
    ASSERT_EQ(channel.Set3DMinMaxDistance(10.0f, 20.0f), Result::Ok);

    channel.Set3DAttributes({0, 0, -5});
    EXPECT_NEAR(capture->Level(), kAmplitude, kTolerance) << "inside the minimum distance";
    channel.Set3DAttributes({0, 0, -10});
    EXPECT_NEAR(capture->Level(), kAmplitude, kTolerance) << "at the minimum distance";
    channel.Set3DAttributes({0, 0, -15});
    EXPECT_NEAR(capture->Level(), kAmplitude * 0.5f, kTolerance) << "halfway";
    channel.Set3DAttributes({0, 0, -20});
    EXPECT_NEAR(capture->Level(), 0.0f, kTolerance) << "at the maximum distance";
    channel.Set3DAttributes({0, 0, -25});
    EXPECT_EQ(capture->Level(), 0.0f) << "beyond the maximum distance";
}

TEST_F(SoundBackend, DistanceCountsFromTheListener)
{
    const auto sound = Load(1.0f, kMode3D);
    Channel channel = Play(*sound);
    channel.SetMode(kModeLoopNormal | kMode3DLinearRolloff);
    channel.Set3DMinMaxDistance(10.0f, 20.0f);
    channel.Set3DAttributes({100, 0, -15});
    EXPECT_EQ(capture->Level(), 0.0f);
    ASSERT_EQ(system->Set3DListenerAttributes(0, {100, 0, 0}, {0, 0, -1}, {0, 1, 0}), Result::Ok);
    EXPECT_NEAR(capture->Level(), kAmplitude * 0.5f, kTolerance);
    EXPECT_EQ(system->Set3DListenerAttributes(1, {0, 0, 0}, {0, 0, -1}, {0, 1, 0}),
              Result::ErrorInvalidParameter);
}

TEST_F(SoundBackend, InverseRolloffWithoutTheLinearFlag)
{
    const auto sound = Load(1.0f, kMode3D);
    Channel channel = Play(*sound);
    channel.SetMode(kModeLoopNormal);
    channel.Set3DMinMaxDistance(5.0f, 1000.0f);
    channel.Set3DAttributes({0, 0, -10});
    EXPECT_NEAR(capture->Level(), kAmplitude * 0.5f, kTolerance);
}

TEST_F(SoundBackend, StereoFileLoadedAs3DIsPositioned)
{
    const auto sound = Load(1.0f, kMode3D, 2);
    Channel channel = Play(*sound);
    channel.SetMode(kModeLoopNormal | kMode3DLinearRolloff);
    channel.Set3DMinMaxDistance(1.0f, 2.0f);
    channel.Set3DAttributes({0, 0, -3});
    EXPECT_EQ(capture->Level(), 0.0f);
}

TEST_F(SoundBackend, ChannelSettingsAreChecked)
{
    const auto flat = Load(1.0f, kMode2D);
    Channel channel = Play(*flat);
    EXPECT_EQ(channel.Set3DAttributes({1, 2, 3}), Result::ErrorNeeds3D);
    EXPECT_EQ(channel.Set3DMinMaxDistance(1, 2), Result::ErrorNeeds3D);
    ASSERT_EQ(channel.SetMode(kMode3D), Result::Ok);
    EXPECT_EQ(channel.Set3DMinMaxDistance(5, 4), Result::ErrorInvalidParameter);
    EXPECT_EQ(channel.Set3DMinMaxDistance(-1, 4), Result::ErrorInvalidParameter);
    EXPECT_EQ(channel.Set3DAttributes({std::numeric_limits<float>::quiet_NaN(), 0, 0}),
              Result::ErrorInvalidParameter);
    EXPECT_EQ(channel.SetVolume(std::numeric_limits<float>::quiet_NaN()), Result::ErrorInvalidParameter);

    Channel none;
    bool playing = true;
    EXPECT_TRUE(none.IsNull());
    EXPECT_EQ(none.IsPlaying(playing), Result::ErrorInvalidHandle);
    EXPECT_FALSE(playing);
}

TEST_F(SoundBackend, ReleasingASoundStopsItsChannels)
{
    auto sound = Load(1.0f, kMode2D);
    Channel channel = Play(*sound);
    ASSERT_EQ(sound->Release(), Result::Ok);
    bool playing = true;
    channel.IsPlaying(playing);
    EXPECT_FALSE(playing);
    EXPECT_EQ(capture->Level(), 0.0f);
    EXPECT_EQ(system->GetFreeSourceCount(), 100u);
    Channel again;
    EXPECT_EQ(system->PlaySound(*sound, nullptr, again), Result::ErrorInvalidHandle);
}

TEST_F(SoundBackend, SoundMayOutliveItsSystem)
{
    auto sound = Load(1.0f, kMode2D);
    Play(*sound);
    ASSERT_EQ(system->Release(), Result::Ok);
    EXPECT_EQ(sound->Release(), Result::Ok);
    sound.reset();
    system.reset();
}

TEST_F(SoundBackend, BusyChannelsAreStolenOldestFirst)
{
    const auto sound = Load(1.0f, kMode2D);
    const Channel first = Play(*sound);
    const Channel second = Play(*sound);
    for (int i = 2; i < 100; ++i)
    {
        Play(*sound);
    }
    EXPECT_EQ(system->GetFreeSourceCount(), 0u);
    const Channel extra = Play(*sound);

    bool playing = false;
    first.IsPlaying(playing);
    EXPECT_FALSE(playing);
    second.IsPlaying(playing);
    EXPECT_TRUE(playing);
    extra.IsPlaying(playing);
    EXPECT_TRUE(playing);
}

TEST_F(SoundBackend, LifecycleErrors)
{
    EXPECT_EQ(system->Init(100), Result::ErrorAlreadyInitialized);
    EXPECT_EQ(system->SetOutput(OutputType::Automatic), Result::ErrorAlreadyInitialized);
    unsigned version = 0;
    EXPECT_EQ(system->GetVersion(version), Result::Ok);
    EXPECT_GE(version, 0x00010212u);
    std::string name;
    EXPECT_EQ(system->GetDriverInfo(-1, name), Result::ErrorNoDriver);

    std::unique_ptr<AudioSystem> idle;
    ASSERT_EQ(AudioSystem::Create(idle), Result::Ok);
    std::unique_ptr<Sound> sound;
    EXPECT_EQ(idle->CreateSound(folder.Path() + "none.wav", kMode2D, sound), Result::ErrorNotInitialized);
    EXPECT_EQ(idle->Update(), Result::ErrorNotInitialized);
    EXPECT_EQ(idle->Init(0), Result::ErrorInvalidParameter);
}

TEST_F(SoundBackend, UnreadableFilesAreReported)
{
    std::unique_ptr<Sound> sound;
    EXPECT_EQ(system->CreateSound(folder.Path() + "missing.wav", kMode2D, sound), Result::ErrorFileNotFound);
    EXPECT_EQ(system->CreateSound(folder.Path(), kMode2D, sound), Result::ErrorFileNotFound);
    const std::string garbage = folder.Write("garbage.ogg", "this is not a sound file");
    EXPECT_EQ(system->CreateSound(garbage, kMode2D, sound), Result::ErrorFormat);
    EXPECT_EQ(sound, nullptr);
    EXPECT_STREQ(ErrorString(Result::ErrorFileNotFound), "File not found.");
}

TEST_F(SoundBackend, UpdateFollowsTheClock)
{
    std::uint32_t now = 1000;
    system->SetClock([&now] { return now; });
    const auto sound = Load(0.1f, kMode2D);
    Channel channel = Play(*sound);
    channel.SetLoopCount(0);
    ASSERT_EQ(system->Update(), Result::Ok);
    now += 50;
    ASSERT_EQ(system->Update(), Result::Ok);
    unsigned position = 0;
    channel.GetPosition(position);
    EXPECT_NEAR(position, 50u, 2u);
    now += 60;
    ASSERT_EQ(system->Update(), Result::Ok);
    bool playing = true;
    channel.IsPlaying(playing);
    EXPECT_FALSE(playing);
}

TEST(SoundDecoderThreaded, DecodesOnAnotherThreadForTheMainThreadToUpload)
{
    Testing::TempDirectory folder;
    const std::string path = Testing::WriteTone(folder.Path() + "stereo.wav", 0.5f, kAmplitude, 2, 22050);
    DecodedSound decoded;
    Result result = Result::ErrorOpenAL;
    std::thread loader([&] { result = Decoder::Decode(path, true, decoded); });
    loader.join();
    ASSERT_EQ(result, Result::Ok);
    EXPECT_EQ(decoded.channels, 1);
    EXPECT_EQ(decoded.sampleRate, 22050);
    EXPECT_EQ(decoded.GetFrameCount(), 11025u);

    std::unique_ptr<AudioSystem> system;
    AudioSystem::Create(system);
    system->SetOutput(OutputType::NoSound);
    ASSERT_EQ(system->Init(4), Result::Ok);
    std::unique_ptr<Sound> sound;
    ASSERT_EQ(system->CreateSound(decoded, kMode2D, sound), Result::Ok);
    unsigned length = 0;
    sound->GetLength(length);
    EXPECT_EQ(length, 500u);
}
} // namespace
} // namespace Morvane
