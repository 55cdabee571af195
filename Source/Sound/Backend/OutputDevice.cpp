#include "Sound/Backend/OutputDevice.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <cstring>

namespace Morvane::Audio::Backend
{
namespace
{
std::vector<std::string> SplitList(const char* list)
{
    std::vector<std::string> names;
    for (const char* name = list; name != nullptr && *name != '\0'; name += std::strlen(name) + 1)
    {
        names.emplace_back(name);
    }
    return names;
}
} // namespace

std::vector<std::string> OutputDevice::ListDrivers()
{
    const bool all = alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT") == ALC_TRUE;
    const std::vector<std::string> listed =
        SplitList(alcGetString(nullptr, all ? ALC_ALL_DEVICES_SPECIFIER : ALC_DEVICE_SPECIFIER));
    std::vector<std::string> usable;
    for (const std::string& name : listed)
    {
        if (ALCdevice* device = alcOpenDevice(name.c_str()))
        {
            alcCloseDevice(device);
            usable.push_back(name);
        }
    }
    return usable;
}

Result OutputDevice::OpenDriver(const std::string& name, int maxSources,
                                std::unique_ptr<OutputDevice>& device)
{
    ALCdevice* handle = alcOpenDevice(name.c_str());
    if (handle == nullptr)
    {
        return Result::ErrorOutputInit;
    }
    std::unique_ptr<OutputDevice> opened(new OutputDevice(handle, nullptr, 0));
    const Result result = opened->CreateContext({ALC_MONO_SOURCES, maxSources, 0});
    if (result != Result::Ok)
    {
        return result;
    }
    ALCint frequency = 0;
    alcGetIntegerv(handle, ALC_FREQUENCY, 1, &frequency);
    opened->m_sampleRate = frequency;
    device = std::move(opened);
    return Result::Ok;
}

Result OutputDevice::OpenLoopback(int sampleRate, int maxSources, std::unique_ptr<OutputDevice>& device)
{
    if (alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback") != ALC_TRUE)
    {
        return Result::ErrorOutputInit;
    }
    auto open = reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(
        alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    auto render =
        reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    if (open == nullptr || render == nullptr)
    {
        return Result::ErrorOutputInit;
    }
    ALCdevice* handle = open(nullptr);
    if (handle == nullptr)
    {
        return Result::ErrorOutputInit;
    }
    std::unique_ptr<OutputDevice> opened(new OutputDevice(handle, render, sampleRate));
    const Result result =
        opened->CreateContext({ALC_FORMAT_CHANNELS_SOFT, ALC_MONO_SOFT, ALC_FORMAT_TYPE_SOFT, ALC_FLOAT_SOFT,
                               ALC_FREQUENCY, sampleRate, ALC_MONO_SOURCES, maxSources, 0});
    if (result != Result::Ok)
    {
        return result;
    }
    device = std::move(opened);
    return Result::Ok;
}

OutputDevice::OutputDevice(ALCdevice* device, RenderFunction render, int sampleRate)
    : m_device(device), m_render(render), m_sampleRate(sampleRate)
{
}

OutputDevice::~OutputDevice()
{
    if (m_context != nullptr)
    {
        if (alcGetCurrentContext() == m_context)
        {
            alcMakeContextCurrent(nullptr);
        }
        alcDestroyContext(m_context);
    }
    alcCloseDevice(m_device);
}

Result OutputDevice::CreateContext(const std::vector<int>& attributes)
{
    m_context = alcCreateContext(m_device, attributes.data());
    if (m_context == nullptr || alcMakeContextCurrent(m_context) != ALC_TRUE)
    {
        return Result::ErrorOutputInit;
    }
    alGetError();
    alDistanceModel(AL_LINEAR_DISTANCE_CLAMPED);
    alDopplerFactor(0.0f);
    m_sourceDistanceModel = alIsExtensionPresent("AL_EXT_SOURCE_DISTANCE_MODEL") == AL_TRUE;
    if (m_sourceDistanceModel)
    {
        alEnable(AL_SOURCE_DISTANCE_MODEL);
    }
    return alGetError() == AL_NO_ERROR ? Result::Ok : Result::ErrorOpenAL;
}

Result OutputDevice::Render(std::span<float> mono)
{
    if (!IsLoopback())
    {
        return Result::ErrorUnsupported;
    }
    if (!mono.empty())
    {
        m_render(m_device, mono.data(), static_cast<int>(mono.size()));
    }
    return Result::Ok;
}
} // namespace Morvane::Audio::Backend
