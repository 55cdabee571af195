#pragma once

#include "Behavior/BehaviorComponent.h"
#include "Behavior/Heart/BeatCycle.h"
#include "Component/ComponentHandle.h"

#include <array>
#include <glm/vec3.hpp>
#include <string>

namespace Morvane::Game
{
class TransformComponent;
}

// Level 3's heart: four chambers ("Ventricle.xml") around it, each swelling and easing back on its own
// beat table, and a heartbeat heard from the heart's place whenever the top left one starts a cycle. The
// tables' scales are shares of the heart's own scale, so a heart of any size beats alike.
class Heart : public Morvane::Behavior::Component
{
public:
    static constexpr const char* kBeatSound = "Sound_HeartBeat";
    // Full level within this distance, fading to silence at the far one.
    static constexpr float kBeatNearDistance = 40.0f;
    static constexpr float kBeatFarDistance = 100.0f;

    enum Chamber
    {
        kTopLeft,
        kTopRight,
        kBottomLeft,
        kBottomRight,
        kChamberCount
    };

    explicit Heart(Morvane::Game::Object* owner);

    // One child per chamber ("TopLeft", "TopRight", "BottomLeft", "BottomRight") with "durations"
    // (seconds) and "states" (three numbers each, one state more than durations). A chamber without
    // one keeps its beat; a table that cannot beat is an error and the chamber takes the lub-dub.
    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    // Makes the four chambers around the heart.
    bool Initialize() override;
    void Update(const float& dt) override;
    // The chambers go with the heart.
    void Release() override;

    // The heartbeat, once, heard from `position`.
    static void PlayBeat(const glm::vec3& position);

    const BeatCycle& GetBeat(Chamber chamber) const { return m_beats[chamber]; }
    // Null before Initialize and once the chamber's object is gone.
    Morvane::Game::TransformComponent* GetChamber(Chamber chamber) const
    {
        return Chambers()[chamber]->Get();
    }

private:
    using Handle = Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent>;

    // The four handles in chamber order.
    std::array<const Handle*, kChamberCount> Chambers() const;
    std::array<Handle*, kChamberCount> Chambers();

    std::array<BeatCycle, kChamberCount> m_beats;
    Handle m_ventricleTopLeft;
    Handle m_ventricleTopRight;
    Handle m_ventricleBottomLeft;
    Handle m_ventricleBottomRight;
    Morvane::Game::TransformComponent* m_transform = nullptr;
};
