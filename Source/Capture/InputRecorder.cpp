#include "Capture/InputRecorder.h"

#include "Platform/KeyCodes.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "SystemManager/SystemManager.h"

#include <SDL.h>
#include <algorithm>
#include <fstream>

namespace Morvane::Capture
{
namespace
{
std::string Escaped(const std::string& text)
{
    std::string escaped;
    for (const char character : text)
    {
        switch (character)
        {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += character;
        }
    }
    return escaped;
}

const char* Down(bool down)
{
    return down ? "true" : "false";
}

std::string ToElement(const Action& action)
{
    if (const auto* key = std::get_if<KeyAction>(&action))
    {
        return Format("<Key key=\"%s\" down=\"%s\"/>", Escaped(SDL_GetScancodeName(key->scancode)).c_str(),
                      Down(key->down));
    }
    if (const auto* motion = std::get_if<MouseMotionAction>(&action))
    {
        return Format("<MouseMotion dx=\"%d\" dy=\"%d\" x=\"%d\" y=\"%d\"/>", motion->dx.value_or(0),
                      motion->dy.value_or(0), motion->x.value_or(0), motion->y.value_or(0));
    }
    if (const auto* button = std::get_if<MouseButtonAction>(&action))
    {
        return Format("<MouseButton button=\"%d\" down=\"%s\"/>", button->button, Down(button->down));
    }
    if (const auto* padButton = std::get_if<PadButtonAction>(&action))
    {
        return Format("<PadButton button=\"%s\" down=\"%s\"/>",
                      SDL_GameControllerGetStringForButton(padButton->button), Down(padButton->down));
    }
    const auto& axis = std::get<PadAxisAction>(action);
    return Format("<PadAxis axis=\"%s\" value=\"%.9g\"/>", SDL_GameControllerGetStringForAxis(axis.axis),
                  static_cast<double>(axis.value));
}

// A key the replay reads back as the same key, and one the game sees at all.
bool IsReplayable(SDL_Scancode scancode)
{
    const char* name = SDL_GetScancodeName(scancode);
    return *name != '\0' && SDL_GetScancodeFromName(name) == scancode &&
           Platform::ScancodeToVirtualKey(scancode);
}
} // namespace

InputRecorder::InputRecorder()
{
    m_listener =
        Window::System::GetInstance().AddEventListener([this](const SDL_Event& event) { Record(event); });
    SystemManager::GetInstance().SetFrameDriver(this);
}

InputRecorder::~InputRecorder()
{
    SystemManager::GetInstance().SetFrameDriver(nullptr);
    Window::System::GetInstance().RemoveEventListener(*m_listener);
}

void InputRecorder::AfterFrame()
{
    FlushMotion();
    ++m_frame;
}

void InputRecorder::Add(Action action)
{
    FlushMotion();
    m_frames[m_frame].push_back(std::move(action));
}

void InputRecorder::FlushMotion()
{
    if (m_motion)
    {
        m_frames[m_frame].emplace_back(*m_motion);
        m_motion.reset();
    }
}

void InputRecorder::Record(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (event.key.repeat == 0 && IsReplayable(event.key.keysym.scancode))
        {
            Add(KeyAction{event.key.keysym.scancode, event.type == SDL_KEYDOWN});
        }
        break;
    case SDL_MOUSEMOTION:
        if (!m_motion)
        {
            m_motion.emplace(MouseMotionAction{0, 0, 0, 0});
        }
        m_motion->dx = *m_motion->dx + event.motion.xrel;
        m_motion->dy = *m_motion->dy + event.motion.yrel;
        m_motion->x = event.motion.x;
        m_motion->y = event.motion.y;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (Platform::MouseButtonToVirtualKey(event.button.button))
        {
            Add(MouseButtonAction{event.button.button, event.type == SDL_MOUSEBUTTONDOWN});
        }
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
        Add(PadButtonAction{static_cast<SDL_GameControllerButton>(event.cbutton.button),
                            event.type == SDL_CONTROLLERBUTTONDOWN});
        break;
    case SDL_CONTROLLERAXISMOTION:
        Add(PadAxisAction{static_cast<SDL_GameControllerAxis>(event.caxis.axis),
                          std::clamp(static_cast<float>(event.caxis.value) / 32767.0f, -1.0f, 1.0f)});
        break;
    default:
        break;
    }
}

std::string InputRecorder::ToText() const
{
    std::string text = "<!-- Recorded with brimora --record; replay it with brimora --capture FILE. -->\n";
    text +=
        Format("<Capture frames=\"%d\" step=\"%.9g\">\n", std::max(m_frame, 1), static_cast<double>(kStep));
    for (const auto& [frame, actions] : m_frames)
    {
        text += Format("    <Frame number=\"%d\">\n", frame);
        for (const Action& action : actions)
        {
            text += "        " + ToElement(action) + "\n";
        }
        text += "    </Frame>\n";
    }
    return text + "</Capture>\n";
}

bool InputRecorder::Write(const std::filesystem::path& path) const
{
    std::ofstream file(path, std::ios::binary);
    file << ToText();
    file.close();
    if (!file)
    {
        Log::Error("Capture", Format("Could not write the recording '%s'", path.string().c_str()));
        return false;
    }
    Log::Info("Capture", Format("Recorded %d frames in '%s'", std::max(m_frame, 1), path.string().c_str()));
    return true;
}
} // namespace Morvane::Capture
