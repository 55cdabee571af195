#pragma once

#include "Component/Object.h"
#include "Sound/AudioSystem.h"
#include "Support/LogCapture.h"
#include "Support/TempDirectory.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace Morvane::Testing
{
struct ObjectDeleter
{
    void operator()(Game::Object* object) const { delete object; }
};
using ObjectPointer = std::unique_ptr<Game::Object, ObjectDeleter>;

// The audio system on the no-sound output, whose mix only the test advances, with the listener at the
// origin looking down -z. Sounds of a 441 Hz tone are defined as resources: "Tone" (2D, 200 ms),
// "Tone3D" (3D, 2 s), "Long" (2D, 2 s) and "Stereo3D" (a stereo file played as 3D, 2 s).
class AudioFixture : public testing::Test
{
protected:
    static constexpr float kAmplitude = 0.5f;
    static constexpr float kTolerance = 0.02f;

    void SetUp() override;
    void TearDown() override;

    // Stops the back end's clock, so that only Render moves playback on.
    void FreezeClock();
    // The next `milliseconds` of mixed output.
    std::vector<float> Render(unsigned milliseconds);
    // Peak level of the next `milliseconds`, after letting volume ramps settle for 5 ms.
    float Level(unsigned milliseconds = 20);
    static float Peak(const std::vector<float>& samples);

    // Whether `message` was logged, even if the log wrapped it over several lines.
    static bool Logged(LogCapture& log, const std::string& message);
    // Adds the resource definitions written as XML children of a "ResourceSystem" element.
    static void Define(const std::string& definitions);
    // An object made from `description` (the children of an "Object" element); null if it failed to parse.
    static ObjectPointer MakeObject(const std::string& name, const std::string& description);

    Audio::System& m_audio = Audio::System::GetInstance();
    TempDirectory m_folder;
};
} // namespace Morvane::Testing
