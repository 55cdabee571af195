#include "Behavior/ParticleSystem/ParticleSystem_AppearingFloor.h"

#include "Behavior/FloatingObject/FloatingObject.h"
#include "Behavior/GameLogic/GameLogic.h"
#include "Behavior/GameRandom/BoxSplit.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/GraphicsComponent.h"
#include "Parsing/IParserData.h"
#include "Physics/PhysicsComponent.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/Math/Smoothing.h"

#include <algorithm>
#include <cmath>
#include <glm/geometric.hpp>

using namespace Morvane;

namespace
{
constexpr const char* kType = "BehaviorComponent_ParticleSystem_AppearingFloor";
} // namespace

ParticleSystem_AppearingFloor::ParticleSystem_AppearingFloor(Game::Object* owner)
    : ParticleBehavior(owner, kType, 0.0f)
{
}

int ParticleSystem_AppearingFloor::ReadCount(const IParserData& data, const char* name, int fallback) const
{
    if (!data.HasAttribute(name))
    {
        return fallback;
    }
    const float value = data.GetAttributeFloat(name, -1.0f);
    if (!std::isfinite(value) || value < 1.0f || value > static_cast<float>(kMostPieces) ||
        value != std::floor(value))
    {
        Log::Error(Channel(), Format("\"%s\" must be a whole number from 1 to %d, not '%s'; it stays %d",
                                     name, kMostPieces, data.GetAttribute(name, "").c_str(), fallback));
        return fallback;
    }
    return static_cast<int>(value);
}

bool ParticleSystem_AppearingFloor::Parse(const IParserData* data)
{
    m_pieceCount = ReadCount(*data, "pieces", kDefaultPieces);
    m_slotCount = ReadCount(*data, "slots", kDefaultSlots);
    return ParticleBehavior::Parse(data);
}

void ParticleSystem_AppearingFloor::SaveSettings(IParserData& element) const
{
    element.SetAttributeInt("pieces", m_pieceCount);
    element.SetAttributeInt("slots", m_slotCount);
}

bool ParticleSystem_AppearingFloor::Initialize()
{
    // Pieces drawn for a layout must be neither in it nor in the one before: that needs twice as many.
    if (m_pieceCount < 2 * m_slotCount)
    {
        const int slots = m_pieceCount / 2;
        Log::Error(Channel(), Format("%d pieces cannot fill %d slots twice over; using %d slots",
                                     m_pieceCount, m_slotCount, slots));
        m_slotCount = slots;
    }
    Game::System& game = Game::System::GetInstance();
    Game::Object* player = m_player;
    if (player == nullptr)
    {
        const Game::Object* logicObject = game.GetObject(GameLogic::kObjectName);
        const auto* gameLogic = logicObject != nullptr ? logicObject->GetComponent<GameLogic>() : nullptr;
        player = gameLogic != nullptr ? game.GetObject(gameLogic->GetPlayerName()) : nullptr;
    }
    m_player = nullptr;
    if (player == nullptr)
    {
        Log::Error(Channel(), "The appearing floor needs the game logic and a player; it stays idle");
        Idle();
        return true;
    }
    auto* playerTransform = player->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(playerTransform != nullptr, "playerTransform", __LINE__);
    auto* playerPhysics = player->GetComponent<Physics::Component>();
    MORVANE_ASSERT_NAMED(playerPhysics != nullptr, "playerPhysics", __LINE__);
    m_playerTransform.Reset(playerTransform);
    m_playerBody.Reset(playerPhysics);
    MakePieces(playerTransform->GetPosition());
    return true;
}

void ParticleSystem_AppearingFloor::MakePieces(const glm::vec3& around)
{
    Game::System& game = Game::System::GetInstance();
    const auto draws = [this](float scale, float offset)
    {
        const float x = Random().Unit() * scale + offset;
        const float y = Random().Unit() * scale + offset;
        return glm::vec3(x, y, Random().Unit() * scale + offset);
    };
    // Hidden below the player until a layout calls them up.
    const glm::vec3 start(around.x, -kSinkDepth, around.z);
    for (int index = 0; index < m_pieceCount; ++index)
    {
        Game::Object* object = game.CreateObjectFromArchetype("FloatingFloor", "FloatingObject.xml");
        MORVANE_ASSERT_NAMED(object != nullptr, "floatingObject", __LINE__);
        auto* transform = object->GetComponent<Game::TransformComponent>();
        MORVANE_ASSERT_NAMED(transform != nullptr, "floatingTransform", __LINE__);
        auto* floating = object->GetComponent<FloatingObject>();
        MORVANE_ASSERT_NAMED(floating != nullptr, "floatingBehavior", __LINE__);
        floating->SetPivot(start);
        floating->SetFrequency(draws(1.0f, 1.0f));
        floating->SetAmplitude(draws(0.05f, 0.0f));
        floating->SetRotationSpeed(draws(0.01f, 0.0f));
        transform->SetPosition(start);
        transform->SetScale(glm::vec3(0.0f));
        if (auto* graphics = object->GetComponent<Graphics::Component>())
        {
            const glm::vec4 colour = graphics->GetDiffuseColor();
            graphics->SetDiffuseColor(glm::vec4(glm::vec3(colour) + draws(0.2f, -0.1f), colour.a));
        }
        m_pieceNames.push_back(object->GetName());
        Piece piece;
        piece.floating.Reset(floating);
        piece.transform.Reset(transform);
        piece.target = start;
        m_pieces.push_back(piece);
    }
}

void ParticleSystem_AppearingFloor::Release()
{
    Game::System& game = Game::System::GetInstance();
    for (const std::string& name : m_pieceNames)
    {
        game.MarkForDeletion(game.GetObject(name));
    }
    m_pieceNames.clear();
    m_pieces.clear();
    m_layout.clear();
    m_previousLayout.clear();
    m_playerTransform.Reset();
    m_playerBody.Reset();
}

void ParticleSystem_AppearingFloor::Step(float dt)
{
    const Game::TransformComponent* transform = m_playerTransform.Get();
    const Physics::Component* body = m_playerBody.Get();
    if (transform == nullptr || body == nullptr)
    {
        if (m_playerTransform.IsSet() && !m_warnedLost)
        {
            Log::Warning(Channel(), Format("The player '%s' is gone; the floor stays as it is",
                                           m_playerTransform.GetObjectName().c_str()));
            m_warnedLost = true;
        }
        return;
    }
    const glm::vec3 position = transform->GetPosition();
    const glm::vec3 ground(position.x, 0.0f, position.z);
    const glm::vec3 away = ground - m_anchor;
    if (m_layoutCount == 0 || glm::dot(away, away) > kRelayoutDistance * kRelayoutDistance)
    {
        LayOut(ground, body->GetVelocity());
    }
    MovePieces(dt);
}

void ParticleSystem_AppearingFloor::LayOut(const glm::vec3& ground, const glm::vec3& velocity)
{
    m_anchor = ground;
    // Ahead along the way he walks; at rest (or after a teleport) around him. A jump does not lift
    // the floor.
    const glm::vec3 flat(velocity.x, 0.0f, velocity.z);
    const float speed = glm::length(flat);
    const glm::vec3 lead =
        speed >= kSlowest && std::isfinite(speed) ? flat * (kLead / speed) : glm::vec3(0.0f);
    m_regionMinimum = glm::vec3(ground.x - kHalfWidth, -1.0f, ground.z - kHalfWidth) + lead;
    m_regionMaximum = glm::vec3(ground.x + kHalfWidth, 0.0f, ground.z + kHalfWidth) + lead;
    ++m_layoutCount;

    // Not the pieces that lie where the player just was: they stay put for now.
    std::vector<int> candidates;
    for (int piece = 0; piece < m_pieceCount; ++piece)
    {
        if (std::find(m_layout.begin(), m_layout.end(), piece) == m_layout.end())
        {
            candidates.push_back(piece);
        }
    }
    std::vector<int> chosen;
    if (m_slotCount > 0)
    {
        const std::vector<BoxSplit::Box> boxes =
            BoxSplit::Split((m_regionMinimum + m_regionMaximum) * 0.5f, m_regionMaximum - m_regionMinimum,
                            m_slotCount, [this] { return Random().Draw(); });
        for (const BoxSplit::Box& box : boxes)
        {
            // A uniform draw among the pieces still free: the same choice as drawing again until a
            // free one comes up, in bounded time.
            const std::size_t pick = static_cast<std::size_t>(Random().Draw()) % candidates.size();
            const int piece = candidates[pick];
            candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(pick));
            m_pieces[static_cast<std::size_t>(piece)].target = box.centre;
            m_pieces[static_cast<std::size_t>(piece)].targetScale = box.size;
            chosen.push_back(piece);
        }
    }
    // Those of the layout before the last that were not chosen again sink and shrink away.
    for (const int piece : m_previousLayout)
    {
        if (std::find(chosen.begin(), chosen.end(), piece) == chosen.end())
        {
            Piece& dropped = m_pieces[static_cast<std::size_t>(piece)];
            dropped.target.y -= kSinkDepth;
            dropped.targetScale = glm::vec3(0.0f);
        }
    }
    m_previousLayout = m_layout;
    m_layout = chosen;
}

void ParticleSystem_AppearingFloor::MovePieces(float dt)
{
    const float share = Math::Smoothing(kApproachRate, dt);
    for (Piece& piece : m_pieces)
    {
        FloatingObject* floating = piece.floating.Get();
        Game::TransformComponent* transform = piece.transform.Get();
        if (floating == nullptr || transform == nullptr)
        {
            continue;
        }
        floating->SetPivot(floating->GetPivot() + (piece.target - floating->GetPivot()) * share);
        transform->SetScale(transform->GetScale() + (piece.targetScale - transform->GetScale()) * share);
    }
}
