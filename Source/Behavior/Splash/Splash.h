#pragma once

#include "Behavior/BehaviorComponent.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Morvane::Audio
{
class Component;
}
namespace Morvane::Graphics
{
class Component;
}

// The title cards before the menu. Each "Slide" child (a "texture" and a "time" in seconds) fades in
// and out on the object's second graphics component, over the black backdrop of its first; the
// object's sound plays meanwhile. After the last slide the sound fades out and the object destroys
// itself, which is what the menu waits for. A key, a click or a pad button skips to the last second.
class Splash : public Morvane::Behavior::Component
{
public:
    static constexpr float kFadeOutTime = 0.5f;

    explicit Splash(Morvane::Game::Object* owner) : Morvane::Behavior::Component(owner) {}

    // Slides that could never end (a time that is not positive) are left out with a warning.
    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    // Leaves out slides whose texture does not exist (logged); with none left the splash ends at once.
    bool Initialize() override;
    void Update(const float& dt) override;

    // The slide's opacity `time` seconds into a slide of `duration`: up at one a second and down to
    // zero at its end, at most 1, so that a short slide peaks halfway instead of jumping.
    static float Alpha(float time, float duration);

private:
    struct Slide
    {
        std::string texture;
        float duration = 0.0f;
    };

    std::string Channel() const;
    void ShowCurrent();
    void SkipToLastSecond();
    void FadeOut(float dt);
    void Finish();

    std::vector<Slide> m_slides;
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::size_t m_current = 0;
    // The slide whose texture the graphics show.
    std::size_t m_shown = kNone;
    float m_time = 0.0f;
    float m_fadeTime = 0.0f;
    float m_startVolume = 1.0f;
    bool m_finished = false;
    Morvane::Graphics::Component* m_slide = nullptr;
    Morvane::Audio::Component* m_audio = nullptr;
};
