#include "AudioFixture.h"
#include "Platform/ExecutablePath.h"
#include "Resources/ResourceSystem.h"
#include "Sound/AudioComponent.h"
#include "Sound/Sound.h"
#include "System/Logging/Format.h"
#include "System/PathWrapper/PathWrapper.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace Morvane::Testing
{
namespace
{
class AudioLoadingThreaded : public AudioFixture
{
protected:
    void SetUp() override
    {
        AudioFixture::SetUp();
        Resources::System::GetInstance().Initialize();
    }

    // Runs frames of the resource and audio systems until `sound` is initialised (at most 10 s).
    bool WaitUntilLoaded(const Audio::Sound& sound)
    {
        for (int frame = 0; frame < 1000 && !sound.IsInitialized(); ++frame)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            Resources::System::GetInstance().Update(0.016f);
        }
        return sound.IsInitialized();
    }
};

TEST_F(AudioLoadingThreaded, PlayWaitsForASoundLoadingInTheBackgroundUnlessStopped)
{
    Define(Format(R"(<Sound name="Background" path="%slong.wav" multiThreaded="true"/>)",
                  m_folder.Path().c_str()));
    const ObjectPointer music = MakeObject("BackgroundMusic", R"(<Audio sound="Background"/>)");
    const ObjectPointer stopped = MakeObject("Stopped", R"(<Audio sound="Background"/>)");
    ASSERT_TRUE(music && stopped);
    auto* audio = music->GetComponent<Audio::Component>();
    audio->Play(true);
    EXPECT_TRUE(audio->IsPlaying()) << "a requested playback counts as playing while its sound loads";
    EXPECT_EQ(audio->GetProgress(), 0.0f);
    stopped->GetComponent<Audio::Component>()->Play(true);
    stopped->GetComponent<Audio::Component>()->Stop();
    EXPECT_FALSE(stopped->GetComponent<Audio::Component>()->IsPlaying());

    ASSERT_TRUE(WaitUntilLoaded(*audio->GetSound()));
    EXPECT_EQ(Level(), 0.0f) << "starts with the next audio update";
    m_audio.Update(0.016f);
    EXPECT_NEAR(Level(), kAmplitude, kTolerance) << "one playback: the stopped one stays silent";
    EXPECT_GT(audio->GetProgress(), 0.0f);
}

TEST_F(AudioLoadingThreaded, TheGamesSoundsAllLoad)
{
    // The build links the data folders next to the test programs' folder.
    const std::string buildFolder = PathWrapper::GetFolder(Platform::GetExecutablePath()) + "../";
    PathWrapper::GetInstance().AddPath("LocalFolder", buildFolder);
    Define(Format(R"(<Pack name="Sounds" path="%sResources/Sounds.xml"/>)", buildFolder.c_str()));

    LogCapture log;
    for (const char* name : {"Sound_Level1", "Sound_Level2", "Sound_Level3", "Sound_Level5", "Sound_Menu"})
    {
        auto* sound = Resources::System::GetInstance().GetResource<Audio::Sound>(name);
        ASSERT_NE(sound, nullptr) << name;
        ASSERT_TRUE(WaitUntilLoaded(*sound)) << name;
        EXPECT_GE(sound->GetLength(), 5000u) << name;
    }
    for (const char* name :
         {"Sound_Jump_01", "Sound_Fall", "Sound_Respawn", "Sound_Button", "Sound_Walk_01", "Sound_Walk_20",
          "Sound_Baby", "Sound_Other_Call_0", "Sound_Other_Interact_0", "Sound_Splash", "Sound_Other_Die"})
    {
        auto* sound = Resources::System::GetInstance().GetResource<Audio::Sound>(name);
        ASSERT_NE(sound, nullptr) << name;
        EXPECT_TRUE(sound->IsInitialized()) << name;
    }
    m_audio.PlaySound3D("Sound_HeartBeat", {0, 0, -1}, 10.0f, 20.0f);
    EXPECT_GT(Level(100), 0.1f);
    EXPECT_FALSE(log.Contains("Could not"));
}
} // namespace
} // namespace Morvane::Testing
