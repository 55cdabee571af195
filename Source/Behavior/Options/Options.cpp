#include "Behavior/Options/Options.h"

#include "Behavior/GameLogic/RenderSettings.h"
#include "Behavior/RenderController/RenderController.h"
#include "Graphics/GraphicsSystem.h"
#include "Sound/AudioSystem.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "Window/WindowSystem.h"

#include <algorithm>
#include <cmath>

using namespace Morvane;

namespace
{
const char* OnOff(bool on)
{
    return on ? "on" : "off";
}
} // namespace

Options& Options::GetInstance()
{
    static Options instance;
    return instance;
}

void Options::Open(const std::filesystem::path& path, const OptionValues& defaults)
{
    m_file.reset();
    m_values = defaults;
    if (!path.empty())
    {
        m_file.emplace(path);
        m_values = m_file->Load();
    }
    m_verticalSyncRequest = m_values.verticalSync;
    m_changed = false;
    Apply();
}

void Options::SaveIfChanged()
{
    if (!m_changed)
    {
        return;
    }
    m_changed = false;
    if (m_file)
    {
        OptionValues saved = m_values;
        saved.verticalSync = m_verticalSyncRequest;
        m_file->Save(saved);
    }
}

void Options::Apply()
{
    ApplyFullScreen();
    ApplyVolume();
    ApplyVerticalSync(false);
    ApplyRenderSettings();
    // What the systems hold now, read back from them.
    const RenderSettings& settings = RenderSettings::GetInstance();
    Log::Info(OptionsFile::kChannel,
              Format("In force: full screen %s, volume %.1f, quality %g, FXAA %s, vertical sync %s",
                     OnOff(Window::System::GetInstance().fullScreen),
                     static_cast<double>(Audio::System::GetInstance().GetVolume()),
                     static_cast<double>(settings.renderQuality), OnOff(settings.fxaa),
                     OnOff(settings.verticalSync)));
}

template <class Value> void Options::Store(Value& field, Value value)
{
    m_changed = m_changed || field != value;
    field = value;
}

void Options::SetFullScreen(bool on)
{
    Store(m_values.fullScreen, on);
    ApplyFullScreen();
}

void Options::SetVolume(float volume)
{
    if (!std::isfinite(volume))
    {
        return;
    }
    Store(m_values.volumeTenths,
          static_cast<int>(std::lround(std::clamp(volume, 0.0f, 1.0f) * OptionValues::kVolumeTenths)));
    ApplyVolume();
}

const char* Options::GetRenderQualityName() const
{
    return OptionValues::kQualitySteps[m_values.qualityIndex].name;
}

void Options::SetRenderQuality(float quality)
{
    if (!std::isfinite(quality))
    {
        return;
    }
    Store(m_values.qualityIndex, OptionValues::NearestQuality(quality));
    ApplyRenderSettings();
}

float Options::NextRenderQuality(float quality)
{
    const auto& steps = OptionValues::kQualitySteps;
    const int index = OptionValues::FindQuality(quality, kQualityTolerance);
    return index < 0 ? steps[OptionValues::kDefaultQuality].factor
                     : steps[(index + 1) % static_cast<int>(steps.size())].factor;
}

void Options::SetFxaa(bool on)
{
    Store(m_values.fxaa, on);
    ApplyRenderSettings();
}

void Options::SetVerticalSync(bool on)
{
    Store(m_verticalSyncRequest, on);
    ApplyVerticalSync(true);
    ApplyRenderSettings();
}

void Options::SetInvertY(bool invert)
{
    Store(m_values.invertY, invert);
}

void Options::SetMouseSensitivity(int sensitivity)
{
    Store(m_values.mouseSensitivity,
          std::clamp(sensitivity, OptionValues::kMinimumSensitivity, OptionValues::kMaximumSensitivity));
}

void Options::ApplyFullScreen() const
{
    Window::System& window = Window::System::GetInstance();
    // Switching an open window to the mode it is in would still move and resize it.
    if (window.window == nullptr || window.fullScreen != m_values.fullScreen)
    {
        window.SetFullScreen(m_values.fullScreen);
    }
}

void Options::ApplyVolume() const
{
    Audio::System::GetInstance().SetVolume(m_values.GetVolume());
}

void Options::ApplyRenderSettings() const
{
    RenderSettings& settings = RenderSettings::GetInstance();
    settings.fxaa = m_values.fxaa;
    settings.renderQuality = m_values.GetQuality();
    settings.verticalSync = m_values.verticalSync;
    // Shown at once, in the menu as in a level.
    if (RenderController* controller = RenderController::Find())
    {
        controller->Apply(settings);
    }
}

void Options::ApplyVerticalSync(bool askAgain)
{
    Graphics::System& graphics = Graphics::System::GetInstance();
    if (!graphics.HasContext())
    {
        m_values.verticalSync = m_verticalSyncRequest;
        return;
    }
    if (askAgain || (graphics.IsVSync() && !m_verticalSyncRequest))
    {
        graphics.SetVSync(m_verticalSyncRequest);
    }
    m_values.verticalSync = graphics.IsVSync();
}
