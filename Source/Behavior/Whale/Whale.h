#pragma once

#include "Behavior/BehaviorComponent.h"

#include <array>
#include <cstddef>
#include <glm/vec3.hpp>
#include <string>
#include <vector>

namespace Morvane::Game
{
class TransformComponent;
}
namespace Morvane::Physics
{
class Component;
}

// A creature that swims a smooth path through its keyframes at a steady speed, turning gently into
// its course, with a tail of three body segments ("WhaleSegment.xml") that follow one another. With
// "stopAtArrive" it stops at the last keyframe; without it the path closes and it swims on for ever.
class Whale : public Morvane::Behavior::Component
{
public:
    static constexpr float kSpeed = 20.0f;
    // A path point this near counts as reached.
    static constexpr float kArrivalDistance = 1.0f;
    static constexpr float kTurnRate = 1.0f;
    static constexpr std::size_t kSegmentCount = 3;

    explicit Whale(Morvane::Game::Object* owner) : Component(owner) {}

    // "stopAtArrive" (absent: as it was, at first true) and "Keyframe" children with "pos". Keyframes
    // that are not finite or repeat the one before are dropped with a warning; fewer than four left is
    // an assertion. An element without keyframes keeps the path: an archetype may leave it to the level.
    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    // Starts at the first path point facing along it, with its tail behind.
    bool Initialize() override;
    void Update(const float& dt) override;
    // The tail goes with the whale.
    void Release() override;

    const std::vector<glm::vec3>& GetPath() const { return m_path; }
    const std::vector<glm::vec3>& GetKeyframes() const { return m_keyframes; }
    bool GetStopAtArrive() const { return m_stopAtArrive; }
    bool HasArrived() const { return m_arrived; }
    const std::array<std::string, kSegmentCount>& GetSegmentNames() const { return m_segments; }

private:
    // Makes the tail; false (logged) when a segment cannot be made.
    bool CreateBody();
    // Skips every path point within reach; false once the last is reached and the whale stops there.
    bool AdvanceTarget(const glm::vec3& position);

    std::vector<glm::vec3> m_keyframes;
    std::vector<glm::vec3> m_path;
    bool m_stopAtArrive = true;
    std::size_t m_target = 0;
    bool m_arrived = false;
    // By name: at a level change the game system may destroy the segments first.
    std::array<std::string, kSegmentCount> m_segments;
    Morvane::Game::TransformComponent* m_transform = nullptr;
    Morvane::Physics::Component* m_body = nullptr;
};
