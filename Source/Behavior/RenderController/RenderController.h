#pragma once

#include "Behavior/BehaviorComponent.h"
#include "Behavior/GameLogic/RenderSettings.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
class Component;
class Pass;
} // namespace Morvane::Graphics

class LightingDirectionalGraphics;

// Turns the effect passes on and off, hands the lights the level's lighting, sizes the render targets
// for the quality and picks the window's shader (FXAA) and vertical sync, all from `RenderSettings`.
// Lives on "RenderEffects"; the game logic applies the settings after each level load and the options
// after every change.
class RenderController : public Morvane::Behavior::Component
{
public:
    static constexpr const char* kChannel = "RenderController";
    static constexpr const char* kObjectName = "RenderEffects";

    explicit RenderController(Morvane::Game::Object* owner) : Component(owner) {}

    // The controller of "RenderEffects", or null when there is none.
    static RenderController* Find();

    bool Save(Morvane::IParserData* data) override;
    // Finds the effect graphics (each missing group logged once) and applies the settings handed over
    // before this, or else the process's current ones.
    bool Initialize() override;
    void Update(const float&) override {}

    // Before Initialize the settings are kept for it: the first level loads while the configuration is
    // still being parsed.
    void Apply(const RenderSettings& settings);

private:
    void ApplyNow(const RenderSettings& settings);
    void ApplyLighting(const RenderSettings& settings) const;
    void ApplyQuality(float quality) const;
    // The pass named `name`, or null; a missing pass that is to be switched on is warned about once.
    Morvane::Graphics::Pass* FindPass(const std::string& name, bool wanted);
    void EnablePass(const std::string& name, bool enabled);

    bool m_initialized = false;
    std::optional<RenderSettings> m_pending;
    std::set<std::string> m_missingPasses;

    Morvane::Graphics::Component* m_dofGraphics = nullptr;
    std::vector<Morvane::Graphics::Component*> m_ssaoGraphics;
    std::vector<Morvane::Graphics::Component*> m_bloomGraphics;
    // "lscl" and "lscr" (the eyes), then "lsc_f" (the single view).
    std::vector<Morvane::Graphics::Component*> m_lightScatteringGraphics;
    LightingDirectionalGraphics* m_resultGraphics = nullptr;
};
