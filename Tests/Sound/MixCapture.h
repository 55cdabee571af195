#pragma once

#include "Sound/Backend/AudioSystem.h"

#include <vector>

namespace Morvane::Testing
{
// Reads the mix of a no-sound back end whose clock stands still, so only the test advances time.
class MixCapture
{
public:
    explicit MixCapture(Audio::Backend::AudioSystem& system);

    // The next `milliseconds` of mixed output.
    std::vector<float> Render(unsigned milliseconds);
    // Peak level of the next `milliseconds`, after letting volume ramps settle for 5 ms.
    float Level(unsigned milliseconds = 20);

    static float Peak(const std::vector<float>& samples);

private:
    Audio::Backend::AudioSystem& m_system;
};
} // namespace Morvane::Testing
