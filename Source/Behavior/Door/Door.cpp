#include "Behavior/Door/Door.h"

#include "Behavior/FloatingObject/FloatingObject.h"
#include "Behavior/GameRandom/GameRandom.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/GraphicsComponent.h"
#include "Parsing/IParserData.h"
#include "Physics/PhysicsComponent.h"
#include "System/Assert/Assertion.h"

#include <array>
#include <cmath>
#include <memory>

using namespace Morvane;

namespace
{
// A node of the cut tree, in the box's own frame (its minimum corner at the origin).
struct Cut
{
    glm::vec3 min;
    glm::vec3 max;
    std::array<int, 2> children{-1, -1};
};

// Non-finite sizes would give non-finite pieces; a size the level got wrong still yields 32 pieces.
glm::vec3 Sane(const glm::vec3& value)
{
    glm::vec3 result = value;
    for (int axis = 0; axis < 3; ++axis)
    {
        if (!std::isfinite(result[axis]))
        {
            result[axis] = 0.0f;
        }
    }
    return result;
}
} // namespace

bool Door::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_Door");
    return true;
}

std::vector<Door::Piece> Door::Split(const glm::vec3& centre, const glm::vec3& size)
{
    const glm::vec3 extent = glm::abs(Sane(size));
    const glm::vec3 minimum = Sane(centre) - extent * 0.5f;
    std::vector<Cut> tree{{glm::vec3(0.0f), extent}};
    tree.reserve(2 * kPieceCount);
    for (int cut = 1; cut < kPieceCount; ++cut)
    {
        int leaf = 0;
        while (tree[leaf].children[0] >= 0)
        {
            leaf = tree[leaf].children[GameRandom::Draw() & 1];
        }
        const int axis = GameRandom::Draw() % 3;
        const Cut parent = tree[leaf];
        const float e = parent.max[axis] - parent.min[axis];
        const float c = e * 0.2f + GameRandom::Unit() * (e * 0.8f - e * 0.2f);
        Cut low = parent;
        low.max[axis] -= e - c;
        low.children = {-1, -1};
        Cut high = parent;
        high.min[axis] += c;
        high.children = {-1, -1};
        tree[leaf].children = {static_cast<int>(tree.size()), static_cast<int>(tree.size()) + 1};
        tree.push_back(low);
        tree.push_back(high);
    }
    std::vector<Piece> pieces;
    for (const Cut& node : tree)
    {
        if (node.children[0] < 0)
        {
            // Halved first: the sum of two huge bounds would overflow.
            pieces.push_back({minimum + node.min * 0.5f + node.max * 0.5f, node.max - node.min});
        }
    }
    MORVANE_ASSERT_NAMED(pieces.size() == static_cast<unsigned>(kPieceCount),
                         "leafs.size() == (unsigned)count", __LINE__);
    return pieces;
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
    for (const Piece& piece : Split(transform->GetPosition(), transform->GetScale()))
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
