#pragma once

#include "Sound/Backend/Result.h"

#include <AL/alc.h>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace Morvane::Audio::Backend
{
// One open OpenAL device with its current context: either a real output that mixes on its own, or a
// loopback device that mixes only when asked to render (mono float samples into memory).
class OutputDevice
{
public:
    // Output devices that can actually be opened now (listed devices may still fail to open).
    static std::vector<std::string> ListDrivers();

    static Result OpenDriver(const std::string& name, int maxSources, std::unique_ptr<OutputDevice>& device);
    static Result OpenLoopback(int sampleRate, int maxSources, std::unique_ptr<OutputDevice>& device);

    ~OutputDevice();
    OutputDevice(const OutputDevice&) = delete;
    OutputDevice& operator=(const OutputDevice&) = delete;

    bool IsLoopback() const { return m_render != nullptr; }
    int GetSampleRate() const { return m_sampleRate; }
    // Whether each source may choose its own distance model.
    bool HasSourceDistanceModel() const { return m_sourceDistanceModel; }

    // Mixes `mono.size()` frames; loopback devices only.
    Result Render(std::span<float> mono);

private:
    using RenderFunction = void (*)(ALCdevice*, void*, int);

    OutputDevice(ALCdevice* device, RenderFunction render, int sampleRate);
    Result CreateContext(const std::vector<int>& attributes);

    ALCdevice* m_device = nullptr;
    ALCcontext* m_context = nullptr;
    RenderFunction m_render = nullptr;
    int m_sampleRate = 0;
    bool m_sourceDistanceModel = false;
};
} // namespace Morvane::Audio::Backend
