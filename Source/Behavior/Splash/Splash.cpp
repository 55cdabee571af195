#include "Behavior/Splash/Splash.h"

#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Graphics/GraphicsComponent.h"
#include "Input/Gamepads.h"
#include "Input/InputSystem.h"
#include "Input/KeyStates.h"
#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "Sound/AudioComponent.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "Texture/Texture.h"

#include <algorithm>
#include <cmath>
#include <glm/vec4.hpp>

using namespace Morvane;

namespace
{
// Any key or mouse button pressed this frame, or any button of a connected pad.
bool SkipPressed()
{
    Input::System& input = Input::System::GetInstance();
    for (unsigned key = 1; key < Input::KeyStates::kCount; ++key)
    {
        if (input.IsTriggered(key))
        {
            return true;
        }
    }
    for (unsigned index = 0; index < Input::Gamepads::kCount; ++index)
    {
        const Input::Joystick* pad = input.GetJoystick(index);
        if (pad->connected && (pad->state.buttons & ~pad->previousState.buttons) != 0)
        {
            return true;
        }
    }
    return false;
}

// The second graphics component of `object`: the first is the backdrop.
Graphics::Component* SecondGraphics(const Game::Object& object)
{
    int seen = 0;
    for (Game::Component* component : object.GetComponents())
    {
        if (auto* graphics = dynamic_cast<Graphics::Component*>(component);
            graphics != nullptr && ++seen == 2)
        {
            return graphics;
        }
    }
    return nullptr;
}
} // namespace

std::string Splash::Channel() const
{
    return Format("%s/Splash", GetOwnerName().c_str());
}

float Splash::Alpha(float time, float duration)
{
    return std::max(0.0f, std::min({time, duration - time, 1.0f}));
}

bool Splash::Parse(const IParserData* data)
{
    m_slides.clear();
    for (const IParserData* child = data->GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        if (child->GetName() != "Slide")
        {
            continue;
        }
        Slide slide{child->GetAttribute("texture", ""), child->GetAttributeFloat("time", 0.0f)};
        // NaN fails this comparison too.
        if (!(slide.duration > 0.0f))
        {
            Log::Warning(Channel(), Format("The slide '%s' has no positive time (%g): it is left out",
                                           slide.texture.c_str(), static_cast<double>(slide.duration)));
            continue;
        }
        m_slides.push_back(std::move(slide));
    }
    return true;
}

bool Splash::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Behavior");
    element->SetAttribute("type", "BehaviorComponent_Splash");
    for (const Slide& slide : m_slides)
    {
        IParserData* child = element->AddChild("Slide");
        child->SetAttribute("texture", slide.texture);
        child->SetAttributeFloat("time", slide.duration);
    }
    return true;
}

bool Splash::Initialize()
{
    const Resources::System& resources = Resources::System::GetInstance();
    std::erase_if(m_slides,
                  [&](const Slide& slide)
                  {
                      if (resources.IsKnown(slide.texture))
                      {
                          return false;
                      }
                      Log::Error(Channel(), Format("There is no texture '%s': its slide is left out",
                                                   slide.texture.c_str()));
                      return true;
                  });
    m_slide = SecondGraphics(*GetParentObject());
    if (m_slide == nullptr)
    {
        Log::Error(Channel(), "The splash needs a second graphics component for its slides");
    }
    m_audio = GetParentObject()->GetComponent<Audio::Component>();
    m_current = 0;
    m_shown = kNone;
    m_time = 0.0f;
    m_fadeTime = 0.0f;
    m_finished = false;
    if (m_slides.empty())
    {
        Log::Info(Channel(), "No slides: straight to the menu");
        Finish();
        return true;
    }
    if (m_audio != nullptr)
    {
        m_startVolume = m_audio->GetVolume();
        if (!m_audio->IsPlaying())
        {
            m_audio->Play(false);
        }
    }
    ShowCurrent();
    return true;
}

void Splash::Update(const float& dt)
{
    if (m_finished)
    {
        return;
    }
    if (m_current >= m_slides.size())
    {
        FadeOut(dt);
        return;
    }
    if (SkipPressed())
    {
        SkipToLastSecond();
    }
    m_time += dt;
    if (m_time > m_slides[m_current].duration)
    {
        ++m_current;
        m_time = 0.0f;
        if (m_current == m_slides.size())
        {
            Log::Info(Channel(), "Slides over");
        }
    }
    ShowCurrent();
}

void Splash::ShowCurrent()
{
    if (m_slide == nullptr)
    {
        return;
    }
    if (m_current >= m_slides.size())
    {
        m_slide->SetDiffuseColor(glm::vec4(1.0f, 1.0f, 1.0f, 0.0f));
        return;
    }
    const Slide& slide = m_slides[m_current];
    if (m_shown != m_current)
    {
        m_shown = m_current;
        m_slide->SetTexture(slide.texture);
        Log::Info(Channel(),
                  Format("Slide '%s' for %g s", slide.texture.c_str(), static_cast<double>(slide.duration)));
    }
    m_slide->SetDiffuseColor(glm::vec4(1.0f, 1.0f, 1.0f, Alpha(m_time, slide.duration)));
}

void Splash::SkipToLastSecond()
{
    const std::size_t last = m_slides.size() - 1;
    const float target = std::max(0.0f, m_slides[last].duration - 1.0f);
    // A second press in the last second must not hold the splash back.
    if (m_current == last && m_time >= target)
    {
        return;
    }
    Log::Info(Channel(), "Skipped to the last slide's last second");
    m_current = last;
    m_time = target;
}

void Splash::FadeOut(float dt)
{
    m_fadeTime += dt;
    const float left = std::max(0.0f, 1.0f - m_fadeTime / kFadeOutTime);
    if (m_audio != nullptr)
    {
        m_audio->SetVolume(m_startVolume * left);
    }
    if (left == 0.0f)
    {
        Finish();
    }
}

void Splash::Finish()
{
    if (m_audio != nullptr)
    {
        m_audio->Stop();
    }
    m_finished = true;
    Log::Info(Channel(), "Splash over");
    Game::System::GetInstance().MarkForDeletion(GetParentObject());
}
