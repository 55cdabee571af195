#pragma once

#include "Behavior/BehaviorComponent.h"

#include <glm/vec2.hpp>
#include <string>

namespace Morvane::Graphics
{
class Camera;
}

// Keeps a screen-quad object as large as the view of "camera" allows at the width-to-height ratio its
// transform's scale had when it was read: full width when the view is narrower than that ratio, full
// height otherwise. The ratio is kept, never read back, so that no frame can lose it.
class ResolutionKeeper : public Morvane::Behavior::Component
{
public:
    explicit ResolutionKeeper(Morvane::Game::Object* owner) : Morvane::Behavior::Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    bool Initialize() override;
    void Update(const float& dt) override;

    // The largest size of ratio `ratio` (width / height) inside `view`; zero for a view or ratio that
    // has no such size (a minimised window).
    static glm::vec2 Fit(const glm::vec2& view, float ratio);

private:
    bool ReadRatio();

    std::string m_cameraName;
    Morvane::Graphics::Camera* m_camera = nullptr;
    float m_ratio = 0.0f;
};
