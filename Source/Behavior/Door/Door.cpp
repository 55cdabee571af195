#include "Behavior/Door/Door.h"

#include "Behavior/FloatingObject/FloatingObject.h"
#include "Behavior/GameRandom/BoxSplit.h"
#include "Behavior/GameRandom/GameRandom.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/GraphicsComponent.h"
#include "Parsing/IParserData.h"
#include "Physics/PhysicsComponent.h"
#include "System/Assert/Assertion.h"

using namespace Morvane;

bool Door::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_Door");
    return true;
}

bool Door::Initialize()
{
    Game::Object* owner = GetParentObject();
    auto* graphics = owner->GetComponent<Graphics::Component>();
    MORVANE_ASSERT_NAMED(graphics != nullptr, "myGraphics", __LINE__);
    auto* transform = owner->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(transform != nullptr, "myTransform", __LINE__);
    if (graphics == nullptr || transform == nullptr)
    {
        return false;
    }
    graphics->SetVisible(false);
    const glm::vec4 color = graphics->GetDiffuseColor();
    Game::System& game = Game::System::GetInstance();
    for (const BoxSplit::Box& piece :
         BoxSplit::Split(transform->GetPosition(), transform->GetScale(), kPieceCount, &GameRandom::Draw))
    {
        Game::Object* object = game.CreateObjectFromArchetype("Door_Floating", "FloatingObject.xml");
        MORVANE_ASSERT_NAMED(object != nullptr, "object", __LINE__);
        if (object == nullptr)
        {
            continue;
        }
        auto* pieceTransform = object->GetComponent<Game::TransformComponent>();
        MORVANE_ASSERT_NAMED(pieceTransform != nullptr, "transform", __LINE__);
        auto* floating = object->GetComponent<FloatingObject>();
        MORVANE_ASSERT_NAMED(floating != nullptr, "floating", __LINE__);
        auto* pieceGraphics = object->GetComponent<Graphics::Component>();
        MORVANE_ASSERT_NAMED(pieceGraphics != nullptr, "graphics", __LINE__);
        floating->SetPivot(piece.centre);
        const auto draws = [](float scale, float offset)
        {
            const float x = GameRandom::Unit() * scale + offset;
            const float y = GameRandom::Unit() * scale + offset;
            return glm::vec3(x, y, GameRandom::Unit() * scale + offset);
        };
        floating->SetFrequency(draws(1.0f, 1.0f));
        floating->SetAmplitude(draws(0.01f, 0.0f));
        floating->SetRotationSpeed(draws(0.01f, 0.0f));
        pieceTransform->SetPosition(piece.centre);
        pieceTransform->SetScale(piece.size);
        const glm::vec3 shift = draws(0.2f, -0.1f);
        pieceGraphics->SetDiffuseColor(glm::vec4(glm::vec3(color) + shift, color.a));
        m_leafs.push_back(object->GetName());
    }
    return true;
}

void Door::Open()
{
    auto* body = GetParentObject()->GetComponent<Physics::Component>();
    MORVANE_ASSERT_NAMED(body != nullptr, "myPhysics", __LINE__);
    if (body != nullptr)
    {
        body->SetCollidable(false);
    }
    Game::System& game = Game::System::GetInstance();
    for (const std::string& name : m_leafs)
    {
        const Game::Object* piece = game.GetObject(name);
        auto* transform = piece != nullptr ? piece->GetComponent<Game::TransformComponent>() : nullptr;
        MORVANE_ASSERT_NAMED(transform != nullptr, "transform", __LINE__);
        if (transform != nullptr)
        {
            transform->SetScale(glm::vec3(kOpenPieceScale));
        }
    }
    m_open = true;
}

void Door::Release()
{
    Game::System& game = Game::System::GetInstance();
    for (const std::string& name : m_leafs)
    {
        game.MarkForDeletion(game.GetObject(name));
    }
    m_leafs.clear();
}
