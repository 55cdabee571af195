#pragma once

#include "Behavior/ParticleSystem/ParticleBehavior.h"
#include "Component/ComponentHandle.h"

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
class FloatingObject;

// Level 6's floor that gathers under the player: floating pieces ("FloatingFloor", scenery only)
// fill a 10 x 1 x 10 region around him and a little ahead of where he walks. Each time he has gone
// more than 5 units from the last layout's anchor the region is split into as many random boxes as
// there are slots, and pieces not in the last layout fly to them; the last layout stays where he has
// just been, and pieces in neither sink and shrink away.
class ParticleSystem_AppearingFloor : public ParticleBehavior
{
public:
    static constexpr int kDefaultPieces = 24;
    static constexpr int kDefaultSlots = 8;
    static constexpr int kMostPieces = 1024;
    static constexpr float kRelayoutDistance = 5.0f;
    static constexpr float kHalfWidth = 5.0f;
    static constexpr float kLead = 5.0f;
    static constexpr float kSlowest = 1e-3f;
    static constexpr float kApproachRate = 4.0f;
    static constexpr float kSinkDepth = 2.0f;

    explicit ParticleSystem_AppearingFloor(Morvane::Game::Object* owner);

    // "pieces" and "slots"; one not a positive whole number is an error and keeps its default.
    bool Parse(const Morvane::IParserData* data) override;
    // The player to gather under; without one, Initialize takes the game logic's player.
    void SetPlayer(Morvane::Game::Object* player) { m_player = player; }
    // Makes the pieces; fewer than twice as many pieces as slots is an error and the slots are cut to
    // half the pieces.
    bool Initialize() override;
    // The pieces go with the floor.
    void Release() override;

    int GetPieceCount() const { return m_pieceCount; }
    int GetSlotCount() const { return m_slotCount; }
    const std::vector<std::string>& GetPieceNames() const { return m_pieceNames; }
    const std::vector<int>& GetLayout() const { return m_layout; }
    const glm::vec3& GetTarget(int piece) const { return m_pieces[static_cast<std::size_t>(piece)].target; }
    const glm::vec3& GetTargetScale(int piece) const
    {
        return m_pieces[static_cast<std::size_t>(piece)].targetScale;
    }
    const glm::vec3& GetRegionMinimum() const { return m_regionMinimum; }
    const glm::vec3& GetRegionMaximum() const { return m_regionMaximum; }
    int GetLayoutCount() const { return m_layoutCount; }

private:
    struct Piece
    {
        Morvane::Game::ComponentHandle<FloatingObject> floating;
        Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent> transform;
        glm::vec3 target{0.0f};
        glm::vec3 targetScale{0.0f};
    };

    void SaveSettings(Morvane::IParserData& element) const override;
    void Step(float dt) override;
    void MakePieces(const glm::vec3& around);
    void LayOut(const glm::vec3& ground, const glm::vec3& velocity);
    void MovePieces(float dt);
    int ReadCount(const Morvane::IParserData& data, const char* name, int fallback) const;

    int m_pieceCount = kDefaultPieces;
    int m_slotCount = kDefaultSlots;
    std::vector<std::string> m_pieceNames;
    std::vector<Piece> m_pieces;
    std::vector<int> m_layout;
    std::vector<int> m_previousLayout;
    glm::vec3 m_anchor{0.0f};
    glm::vec3 m_regionMinimum{0.0f};
    glm::vec3 m_regionMaximum{0.0f};
    int m_layoutCount = 0;
    Morvane::Game::ComponentHandle<Morvane::Game::TransformComponent> m_playerTransform;
    Morvane::Game::ComponentHandle<Morvane::Physics::Component> m_playerBody;
    Morvane::Game::Object* m_player = nullptr;
    bool m_warnedLost = false;
};
