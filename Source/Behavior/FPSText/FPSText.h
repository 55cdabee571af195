#pragma once

#include "Behavior/BehaviorComponent.h"

class TextGraphics;

// The frame rate in the top left corner of "Camera_GUI": frames divided by their measured time (not
// the capped step, which would never read below 31.25) over each quarter of a second, then counted
// afresh.
class FPSText : public Morvane::Behavior::Component
{
public:
    static constexpr float kPeriod = 0.25f;
    // The caption's height as a share of the window's.
    static constexpr float kHeightShare = 0.04f;

    explicit FPSText(Morvane::Game::Object* owner) : Component(owner) {}

    bool Save(Morvane::IParserData* data) override;
    bool Initialize() override;
    void Update(const float& dt) override;

private:
    void KeepInCorner() const;

    TextGraphics* m_myGraphics = nullptr;
    float m_time = 0.0f;
    int m_frames = 0;
};
