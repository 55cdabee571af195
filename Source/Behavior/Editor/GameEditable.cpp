#include "Behavior/Editor/GameEditable.h"

#include "Behavior/Door/Door.h"
#include "Behavior/Editor/Editor.h"
#include "Behavior/FloatingObject/FloatingObject.h"
#include "Behavior/GameLogic/LevelWriter.h"
#include "Behavior/GravitationalPlatform/GravitationalPlatform.h"
#include "Behavior/MovingPlatform/MovingPlatform.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Parsing/IParserData.h"
#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "Shape/AABB.h"
#include "System/Assert/Assertion.h"

#include <array>
#include <cmath>
#include <glm/common.hpp>

using namespace Morvane;

namespace
{
const glm::vec4 kOutlineColour(0.1f, 0.1f, 0.1f, 0.1f);

bool IsFinite(const glm::vec3& value)
{
    return std::isfinite(value.x) && std::isfinite(value.y) && std::isfinite(value.z);
}

std::string Text(const glm::vec3& value)
{
    const std::array<float, 3> numbers{value.x, value.y, value.z};
    return LevelWriter::FormatNumbers(numbers);
}

// Only a box takes its object's scale; a sphere or a convex shape keeps its own size.
void FitBox(Game::Object& object, const glm::vec3& scale)
{
    auto* body = object.GetComponent<Physics::Component>();
    if (auto* box = body != nullptr ? dynamic_cast<Physics::AABB*>(body->GetShape()) : nullptr)
    {
        box->SetHalfSize(glm::abs(scale) * 0.5f);
    }
}

void Refresh(Game::Object& object)
{
    Physics::System::GetInstance().RefreshBody(object.GetComponent<Physics::Component>());
}

void Shift(Game::Object& object, const glm::vec3& delta)
{
    auto* transform = object.GetComponent<Game::TransformComponent>();
    if (transform == nullptr)
    {
        return;
    }
    transform->SetPosition(transform->GetPosition() + delta);
    if (auto* floating = object.GetComponent<FloatingObject>())
    {
        floating->SetPivot(floating->GetPivot() + delta);
    }
    if (auto* platform = object.GetComponent<MovingPlatform>())
    {
        platform->SetPath(platform->GetA() + delta, platform->GetB() + delta, platform->GetMovementSpeed());
    }
    Refresh(object);
}

// Keeps a follower where it sits relative to a centre whose box was scaled by `ratio`.
void ScaleAbout(Game::Object& object, const glm::vec3& centre, const glm::vec3& ratio)
{
    auto* transform = object.GetComponent<Game::TransformComponent>();
    if (transform == nullptr)
    {
        return;
    }
    transform->SetPosition(centre + (transform->GetPosition() - centre) * ratio);
    transform->SetScale(transform->GetScale() * ratio);
    if (auto* floating = object.GetComponent<FloatingObject>())
    {
        floating->SetPivot(centre + (floating->GetPivot() - centre) * ratio);
    }
    FitBox(object, transform->GetScale());
    Refresh(object);
}
} // namespace

bool GameEditable::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_GameEditable");
    return true;
}

bool GameEditable::Initialize()
{
    m_referenceTransform = GetParentObject()->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(m_referenceTransform != nullptr, "m_referenceTransform", __LINE__);
    if (m_referenceTransform == nullptr)
    {
        return false;
    }
    m_referencePosition = m_referenceTransform->GetPosition();
    m_referenceScale = m_referenceTransform->GetScale();
    if (Editor* editor = Editor::m_instance)
    {
        editor->Register(this);
    }
    return true;
}

void GameEditable::Update(const float&)
{
    if (m_referenceTransform == nullptr)
    {
        return;
    }
    m_referencePosition = m_referenceTransform->GetPosition();
    m_referenceScale = m_referenceTransform->GetScale();
    Graphics::System::GetInstance().DrawDebugBox(m_referencePosition, glm::abs(m_referenceScale),
                                                 kOutlineColour);
}

void GameEditable::Release()
{
    if (Editor* editor = Editor::m_instance)
    {
        editor->Unregister(this);
    }
    m_referenceTransform = nullptr;
}

void GameEditable::SetSource(unsigned levelLoad, std::size_t elementIndex, std::vector<std::string> followers)
{
    m_levelLoad = levelLoad;
    m_elementIndex = elementIndex;
    m_followers = std::move(followers);
    if (const auto* transform = GetParentObject()->GetComponent<Game::TransformComponent>())
    {
        m_placedPosition = transform->GetPosition();
        m_editedScale = transform->GetScale();
    }
}

std::vector<Game::Object*> GameEditable::FindFollowers() const
{
    Game::System& game = Game::System::GetInstance();
    std::vector<std::string> names = m_followers;
    const Game::Object* owner = GetParentObject();
    if (const auto* door = owner->GetComponent<Door>())
    {
        names.insert(names.end(), door->GetPieceNames().begin(), door->GetPieceNames().end());
    }
    if (const auto* gravity = owner->GetComponent<GravitationalPlatform>())
    {
        names.insert(names.end(), gravity->GetTriggerNames().begin(), gravity->GetTriggerNames().end());
    }
    std::vector<Game::Object*> followers;
    for (const std::string& name : names)
    {
        if (Game::Object* object = game.GetObject(name))
        {
            followers.push_back(object);
        }
    }
    return followers;
}

bool GameEditable::SetPosition(const glm::vec3& position)
{
    if (!IsFinite(position))
    {
        return false;
    }
    const glm::vec3 delta = position - GetPosition();
    Shift(*GetParentObject(), delta);
    for (Game::Object* follower : FindFollowers())
    {
        Shift(*follower, delta);
    }
    m_moved += delta;
    return true;
}

bool GameEditable::SetScale(const glm::vec3& scale)
{
    if (!IsFinite(scale) || glm::any(glm::lessThan(scale, glm::vec3(kMinimumScale))))
    {
        return false;
    }
    auto* transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    if (transform == nullptr)
    {
        return false;
    }
    const glm::vec3 old = glm::abs(transform->GetScale());
    // A flat axis has nothing to scale its followers by.
    const glm::vec3 ratio = glm::mix(glm::vec3(1.0f), scale / glm::max(old, glm::vec3(1e-6f)),
                                     glm::greaterThan(old, glm::vec3(0.0f)));
    transform->SetScale(scale);
    FitBox(*GetParentObject(), scale);
    Refresh(*GetParentObject());
    for (Game::Object* follower : FindFollowers())
    {
        ScaleAbout(*follower, transform->GetPosition(), ratio);
    }
    m_editedScale = scale;
    m_scaleEdited = true;
    return true;
}

void GameEditable::RestoreScale(const glm::vec3& scale, bool edited)
{
    SetScale(scale);
    m_scaleEdited = edited;
}

const Game::TransformComponent* GameEditable::Transform() const
{
    // Kept from Initialize; an editable made again by an undo is moved before it initialises.
    return m_referenceTransform != nullptr ? m_referenceTransform
                                           : GetParentObject()->GetComponent<Game::TransformComponent>();
}

glm::vec3 GameEditable::GetPosition() const
{
    const auto* transform = Transform();
    return transform != nullptr ? transform->GetPosition() : glm::vec3(0.0f);
}

glm::vec3 GameEditable::GetScale() const
{
    const auto* transform = Transform();
    return transform != nullptr ? transform->GetScale() : glm::vec3(1.0f);
}

glm::vec3 GameEditable::GetBoxMin() const
{
    const auto* transform = Transform();
    return transform != nullptr ? transform->GetPosition() - glm::abs(transform->GetScale()) * 0.5f
                                : glm::vec3(0.0f);
}

glm::vec3 GameEditable::GetBoxMax() const
{
    const auto* transform = Transform();
    return transform != nullptr ? transform->GetPosition() + glm::abs(transform->GetScale()) * 0.5f
                                : glm::vec3(0.0f);
}

std::map<std::string, std::string> GameEditable::CollectEdits(const IParserData& element) const
{
    std::map<std::string, std::string> edits;
    if (m_moved != glm::vec3(0.0f))
    {
        edits["pos"] = Text(m_placedPosition + m_moved);
        // Points the element names beside its position travel with it.
        for (const char* point : {"pivot", "A", "B"})
        {
            if (element.HasAttribute(point))
            {
                const glm::vec3 value =
                    ParserDataUtilities::GetAttributeVec3(element, point, glm::vec3(0.0f));
                edits[point] = Text(value + m_moved);
            }
        }
    }
    if (m_scaleEdited)
    {
        edits["scale"] = Text(m_editedScale);
    }
    return edits;
}
