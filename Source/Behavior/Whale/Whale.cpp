#include "Behavior/Whale/Whale.h"

#include "Behavior/Whale/WhalePath.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/IParserData.h"
#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Physics/CreatureBodyPhysics/CreatureBodyPhysics.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/Math/Smoothing.h"

#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>

using namespace Morvane;

namespace
{
const char* const kChannel = "Whale";
const glm::vec3 kUp(0.0f, 1.0f, 0.0f);

struct SegmentShape
{
    // Its size as a share of the whale's scale.
    glm::vec3 scale;
    // Where it hangs in the frame of the one before it (the whale for the first): behind, on its axis.
    glm::vec3 offset;
};

// A segment's body: pulled along, touching nothing.
const char* const kSegmentBody =
    R"(<Physics category="Dynamic" mass="1" restitution="0" resolveContacts="false"
    shape="AABB" size="1;1;1" collisionIds="8" collideWithIds="8" collidable="false"/>)";

// Two tapering body pieces and a flat fluke.
const std::array<SegmentShape, Whale::kSegmentCount> kSegments = {{
    {{0.72f, 0.7f, 0.6f}, {0.0f, 0.0f, -0.6f}},
    {{0.7f, 0.66f, 0.75f}, {0.0f, 0.0f, -0.62f}},
    {{1.4f, 0.18f, 0.75f}, {0.0f, 0.0f, -0.6f}},
}};

bool IsFinite(const glm::vec3& value)
{
    return std::isfinite(value.x) && std::isfinite(value.y) && std::isfinite(value.z);
}

// +z along `direction`, upright; false where there is no such rotation (no direction, or straight
// up or down).
bool Heading(const glm::vec3& direction, glm::quat& heading)
{
    const float length = glm::length(direction);
    if (!(length > 0.0f) || glm::length(glm::cross(direction / length, kUp)) < 1e-5f)
    {
        return false;
    }
    // quatLookAt turns -z toward its direction.
    heading = glm::quatLookAt(-direction / length, kUp);
    return true;
}

// Spherical interpolation the short way round, straight where the two all but agree (the sine of
// their angle would vanish).
glm::quat TurnToward(const glm::quat& from, glm::quat to, float t)
{
    float cosine = glm::dot(from, to);
    if (cosine < 0.0f)
    {
        to = -to;
        cosine = -cosine;
    }
    if (cosine > 0.9999999f)
    {
        return glm::normalize(from + (to - from) * t);
    }
    const float angle = std::acos(cosine);
    return (from * std::sin((1.0f - t) * angle) + to * std::sin(t * angle)) / std::sin(angle);
}

std::vector<glm::vec3> ReadKeyframes(const IParserData& data, const std::string& channel)
{
    std::vector<glm::vec3> keyframes;
    int index = 0;
    for (const IParserData* child = data.GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        if (child->GetName() != "Keyframe")
        {
            continue;
        }
        const std::string text = child->GetAttribute("pos", "");
        const glm::vec3 point = ParserDataUtilities::ToVec3(text);
        if (!IsFinite(point))
        {
            Log::Warning(channel,
                         Format("Keyframe %d '%s' is not a finite point: dropped", index, text.c_str()));
        }
        else if (!keyframes.empty() && keyframes.back() == point)
        {
            Log::Warning(channel,
                         Format("Keyframe %d '%s' repeats the one before: dropped", index, text.c_str()));
        }
        else
        {
            keyframes.push_back(point);
        }
        ++index;
    }
    return keyframes;
}
} // namespace

bool Whale::Parse(const IParserData* data)
{
    const std::string channel = Format("%s/Whale", GetOwnerName().c_str());
    m_stopAtArrive = data->GetAttributeBool("stopAtArrive", m_stopAtArrive);
    const bool hasKeyframes = [data]
    {
        for (const IParserData* child = data->GetFirstChild(); child != nullptr;
             child = child->GetNextSibling())
        {
            if (child->GetName() == "Keyframe")
            {
                return true;
            }
        }
        return false;
    }();
    if (hasKeyframes)
    {
        m_keyframes = ReadKeyframes(*data, channel);
    }
    // A closed path comes back to its start by itself: a last keyframe on the first would be a repeat.
    if (!m_stopAtArrive && m_keyframes.size() > 1 && m_keyframes.back() == m_keyframes.front())
    {
        Log::Warning(channel, "The last keyframe repeats the first on a closed path: dropped");
        m_keyframes.pop_back();
    }
    if (hasKeyframes || !m_keyframes.empty())
    {
        MORVANE_ASSERT_NAMED(m_keyframes.size() >= WhalePath::kMinimumKeyframes, "data.size() >= 4",
                             __LINE__);
        m_path = WhalePath::Sample(m_keyframes, !m_stopAtArrive);
    }
    return true;
}

bool Whale::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Behavior");
    element->SetAttribute("type", "BehaviorComponent_Whale");
    element->SetAttributeBool("stopAtArrive", m_stopAtArrive);
    for (const glm::vec3& keyframe : m_keyframes)
    {
        ParserDataUtilities::SetAttributeVector(*element->AddChild("Keyframe"), "pos", keyframe);
    }
    return true;
}

bool Whale::Initialize()
{
    m_transform = GetParentObject()->GetComponent<Game::TransformComponent>();
    MORVANE_ASSERT_NAMED(m_transform != nullptr, "myTransform", __LINE__);
    // A whale that no element gave keyframes has nowhere to swim.
    MORVANE_ASSERT_NAMED(m_path.size() >= WhalePath::kMinimumKeyframes, "data.size() >= 4", __LINE__);
    m_body = GetParentObject()->GetComponent<Physics::Component>();
    m_transform->SetPosition(m_path.front());
    glm::quat heading;
    if (Heading(m_path[1] - m_path.front(), heading))
    {
        m_transform->SetRotation(heading);
    }
    m_target = 1;
    m_arrived = false;
    return CreateBody();
}

bool Whale::CreateBody()
{
    Game::System& game = Game::System::GetInstance();
    XMLParserData body;
    const bool described = body.FromString(kSegmentBody);
    MORVANE_ASSERT_NAMED(described, "segmentBody", __LINE__);
    Game::TransformComponent* followed = m_transform;
    for (std::size_t index = 0; index < kSegmentCount; ++index)
    {
        Game::Object* object = game.CreateObjectFromArchetype("WhaleSegment", "WhaleSegment.xml");
        auto* transform = object != nullptr ? object->GetComponent<Game::TransformComponent>() : nullptr;
        if (transform == nullptr)
        {
            Log::Error(kChannel, "Could not create body");
            game.MarkForDeletion(object);
            return false;
        }
        m_segments[index] = object->GetName();
        // Made here rather than in the archetype: a segment is nothing without the one it follows.
        auto* segment =
            Physics::System::GetInstance().CreateComponentInCode<CreatureBodyPhysics>(object, body);
        if (segment == nullptr)
        {
            Log::Error(kChannel, "Could not create body");
            return false;
        }
        transform->SetScale(m_transform->GetScale() * kSegments[index].scale);
        transform->SetRotation(followed->GetRotation());
        transform->SetPosition(
            glm::vec3(followed->GetWorldMatrix() * glm::vec4(kSegments[index].offset, 1.0f)));
        segment->SetAttachedToTransform(followed);
        segment->SetOffset(kSegments[index].offset);
        followed = transform;
    }
    return true;
}

bool Whale::AdvanceTarget(const glm::vec3& position)
{
    const std::size_t last = m_path.size() - 1;
    // At most one lap: on a path smaller than the reach every point is always in reach.
    for (std::size_t skipped = 0; skipped < m_path.size(); ++skipped)
    {
        if (glm::length(m_path[m_target] - position) > kArrivalDistance)
        {
            return true;
        }
        if (m_stopAtArrive && m_target == last)
        {
            m_arrived = true;
            return false;
        }
        m_target = m_target == last ? 0 : m_target + 1;
    }
    return true;
}

void Whale::Update(const float& dt)
{
    MORVANE_ASSERT_NAMED(m_transform != nullptr, "myTransform", __LINE__);
    MORVANE_ASSERT_NAMED(m_body != nullptr, "myPhysics", __LINE__);
    if (m_arrived || !AdvanceTarget(m_transform->GetPosition()))
    {
        m_body->SetVelocity(glm::vec3(0.0f));
        return;
    }
    const glm::vec3 toward = m_path[m_target] - m_transform->GetPosition();
    const float distance = glm::length(toward);
    // Only a path point a hair from the whale leaves no direction to swim in.
    const glm::vec3 velocity = distance > 0.0f ? toward / distance * kSpeed : glm::vec3(0.0f);
    m_body->SetVelocity(velocity);
    glm::quat heading;
    if (Heading(velocity, heading))
    {
        m_transform->SetRotation(
            TurnToward(m_transform->GetRotation(), heading, Math::Smoothing(kTurnRate, dt)));
    }
}

void Whale::Release()
{
    Game::System& game = Game::System::GetInstance();
    for (std::string& name : m_segments)
    {
        if (!name.empty())
        {
            game.MarkForDeletion(game.GetObject(name));
        }
        name.clear();
    }
}
