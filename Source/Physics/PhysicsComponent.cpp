#include "Physics/PhysicsComponent.h"

#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/IParserData.h"
#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "Physics/MeshShapeSource.h"
#include "Physics/PhysicsSystem.h"
#include "Shape/AABB.h"
#include "Shape/ConvexPolyhedra.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/StringUtilities/StringUtilities.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <glm/geometric.hpp>

namespace Morvane::Physics
{
namespace
{
struct CategoryName
{
    const char* name;
    Category category;
};

const std::array<CategoryName, 3> kCategories = {
    {{"Dynamic", Category::Dynamic}, {"Kinematic", Category::Kinematic}, {"Static", Category::Static}}};

struct ShapeType
{
    const char* name;
    std::unique_ptr<Shape> (*create)();
};

const std::array<ShapeType, 2> kShapeTypes = {
    {{"AABB", [] { return std::unique_ptr<Shape>(std::make_unique<AABB>()); }},
     {"ConvexPolyhedra", [] { return std::unique_ptr<Shape>(std::make_unique<ConvexPolyhedra>()); }}}};

bool IsFinite(const glm::vec3& vector)
{
    return std::isfinite(vector.x) && std::isfinite(vector.y) && std::isfinite(vector.z);
}

// Each ';'-separated piece read as atoi reads it (an empty piece is 0), saturated at the int32 range.
std::vector<std::int32_t> ParseIds(const std::string& text)
{
    std::vector<std::int32_t> ids;
    for (const std::string& piece : StringUtilities::Split(text, ';'))
    {
        const long long value = std::strtoll(piece.c_str(), nullptr, 10);
        ids.push_back(static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX)));
    }
    return ids;
}

std::string IdsText(const std::vector<std::int32_t>& ids)
{
    std::string text;
    for (std::size_t index = 0; index < ids.size(); ++index)
    {
        text += (index > 0 ? ";" : "") + std::to_string(ids[index]);
    }
    return text;
}

bool ShareAny(const std::vector<std::int32_t>& wanted, const std::vector<std::int32_t>& ids)
{
    return std::any_of(wanted.begin(), wanted.end(),
                       [&](std::int32_t id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); });
}

// The shape test the other shape's kind selects.
bool ShapeContact(const Shape& mine, const Shape& theirs, Contact& contact)
{
    switch (theirs.GetKind())
    {
    case Shape::Kind::AABB:
    {
        const auto* rhsAABB = dynamic_cast<const AABB*>(&theirs);
        MORVANE_ASSERT_NAMED(rhsAABB != nullptr, "rhsAABB", __LINE__);
        return mine.CollideAABB(rhsAABB, &contact);
    }
    case Shape::Kind::ConvexPolyhedra:
    {
        const auto* rhsConvexPolyhedra = dynamic_cast<const ConvexPolyhedra*>(&theirs);
        MORVANE_ASSERT_NAMED(rhsConvexPolyhedra != nullptr, "rhsConvexPolyhedra", __LINE__);
        return mine.CollideConvex(rhsConvexPolyhedra, &contact, &System::GetInstance().GetDebugDrawer());
    }
    }
    return false;
}
} // namespace

Component::Component(Game::Object* owner) : Game::Component(owner), m_boundingVolume(this) {}

Component::~Component() = default;

std::string Component::Channel() const
{
    return Format("%s/Physics", GetOwnerName().c_str());
}

bool Component::OutOfRange(const char* attribute) const
{
    Log::Error(Channel(), Format("Attribute '%s' is out of range", attribute));
    return false;
}

bool Component::Parse(const IParserData* data)
{
    MORVANE_ASSERT_NAMED(data != nullptr, "parserData", __LINE__);
    m_resolveContacts = data->GetAttributeBool("resolveContacts", true);
    m_restitution = data->GetAttributeFloat("restitution", 0.5f);
    // Outside [0, 1] every bounce adds speed until the body's velocity overflows.
    if (!(m_restitution >= 0.0f && m_restitution <= 1.0f))
    {
        return OutOfRange("restitution");
    }
    m_mass = data->GetAttributeFloat("mass", 1.0f);
    m_inverseMass = m_mass == 0.0f ? 0.0f : 1.0f / m_mass;
    // A negative mass pulls bodies together; a tiny one has an infinite inverse.
    if (!(m_mass >= 0.0f) || !std::isfinite(m_mass) || !std::isfinite(m_inverseMass))
    {
        return OutOfRange("mass");
    }
    m_collidable = data->GetAttributeBool("collidable", true);
    m_velocity = ParserDataUtilities::ToVec3(data->GetAttribute("velocity", ""));
    if (!IsFinite(m_velocity))
    {
        return OutOfRange("velocity");
    }
    m_initialVelocity = m_velocity;
    if (data->HasAttribute("collisionIds"))
    {
        m_collisionIds = ParseIds(data->GetAttribute("collisionIds", ""));
    }
    if (data->HasAttribute("collideWithIds"))
    {
        m_collideWithIds = ParseIds(data->GetAttribute("collideWithIds", ""));
    }
    const std::string categoryName = data->GetAttribute("category", "");
    if (!categoryName.empty())
    {
        const auto found =
            std::find_if(kCategories.begin(), kCategories.end(),
                         [&](const CategoryName& entry) { return categoryName == entry.name; });
        if (found == kCategories.end())
        {
            Log::Error(Channel(), "Unknown type of physics");
            return false;
        }
        m_category = found->category;
    }
    if (!ParseShape(data))
    {
        return false;
    }
    m_targetTransform = m_parentObject->GetComponent<Game::TransformComponent>();
    if (m_targetTransform == nullptr)
    {
        Log::Error(Channel(), "Physics component needs a transform before it");
        return false;
    }
    System::GetInstance().RegisterComponent(this);
    return true;
}

bool Component::ParseShape(const IParserData* data)
{
    const std::string shapeName = data->GetAttribute("shape", "");
    if (shapeName.empty())
    {
        return true;
    }
    const auto found = std::find_if(kShapeTypes.begin(), kShapeTypes.end(),
                                    [&](const ShapeType& entry) { return shapeName == entry.name; });
    if (found == kShapeTypes.end())
    {
        Log::Error(Channel(), Format("Physics component with invalid type: '%s'", shapeName.c_str()));
        return false;
    }
    if (data->HasAttribute("size") && !IsFinite(ParserDataUtilities::ToVec3(data->GetAttribute("size", ""))))
    {
        return OutOfRange("size");
    }
    m_shape = found->create();
    if (!m_shape->Parse(data))
    {
        Log::Error(Channel(), "Could not load shape correctly");
        m_shape.reset();
        return false;
    }
    if (auto* convex = dynamic_cast<ConvexPolyhedra*>(m_shape.get());
        convex && !convex->GetReferenceMesh().empty())
    {
        m_shapePending = BuildFromMesh(convex->GetReferenceMesh(), *convex) == MeshReadiness::Loading;
    }
    return true;
}

bool Component::Save(IParserData* data)
{
    IParserData* element = data->AddChild("Physics");
    element->SetAttributeBool("resolveContacts", m_resolveContacts);
    element->SetAttribute("restitution", Format("%.9g", static_cast<double>(m_restitution)));
    element->SetAttribute("mass", Format("%.9g", static_cast<double>(m_mass)));
    element->SetAttributeBool("collidable", m_collidable);
    element->SetAttribute("velocity", Format("%.9g;%.9g;%.9g", static_cast<double>(m_initialVelocity.x),
                                             static_cast<double>(m_initialVelocity.y),
                                             static_cast<double>(m_initialVelocity.z)));
    element->SetAttribute("collisionIds", IdsText(m_collisionIds));
    element->SetAttribute("collideWithIds", IdsText(m_collideWithIds));
    for (const CategoryName& entry : kCategories)
    {
        if (entry.category == m_category)
        {
            element->SetAttribute("category", entry.name);
        }
    }
    return m_shape == nullptr || m_shape->Save(element);
}

void Component::Clone(Game::Component* destination)
{
    if (dynamic_cast<Component*>(destination) == nullptr)
    {
        Log::Error(Channel(), "Tried to clone incorrect types");
    }
}

void Component::Integrate(const float& dt)
{
    MORVANE_ASSERT_NAMED(m_targetTransform != nullptr, "m_targetTransform", __LINE__);
    AddForces(dt);
    // A step of no time changes no velocity; the forces of one may be unbounded (nothing caps a spring
    // then), and infinity times zero would make the body NaN.
    if (dt > 0.0f)
    {
        m_velocity += m_force * m_inverseMass * dt;
    }
    m_force = glm::vec3(0.0f);
    AdjustVelocity(dt);
    m_targetTransform->SetPosition(m_targetTransform->GetPosition() + m_velocity * dt);
}

void Component::UpdateBounds()
{
    MORVANE_ASSERT_NAMED(m_targetTransform != nullptr, "m_targetTransform", __LINE__);
    if (m_shapePending)
    {
        auto& convex = static_cast<ConvexPolyhedra&>(*m_shape);
        m_shapePending = BuildFromMesh(convex.GetReferenceMesh(), convex) == MeshReadiness::Loading;
    }
    m_boundingVolume.Update(m_targetTransform);
    if (m_shape != nullptr)
    {
        m_shape->Update(m_targetTransform->GetPosition(), m_targetTransform->GetWorldMatrix());
        glm::vec3 min;
        glm::vec3 max;
        // The broad phase must see the whole shape, whatever the transform's scale says.
        if (m_shape->GetWorldBounds(min, max))
        {
            m_boundingVolume.Enclose(min, max);
        }
    }
}

void Component::DestroyShape()
{
    m_shape.reset();
    m_shapePending = false;
}

bool Component::CanCollideWith(const Component* other) const
{
    if (!m_collidable || !other->m_collidable)
    {
        return false;
    }
    if (m_inverseMass == 0.0f && other->m_inverseMass == 0.0f)
    {
        return false;
    }
    return ShareAny(m_collideWithIds, other->m_collisionIds) ||
           ShareAny(other->m_collideWithIds, m_collisionIds);
}

bool Component::HasCollisionId(std::int32_t id) const
{
    return std::find(m_collisionIds.begin(), m_collisionIds.end(), id) != m_collisionIds.end();
}

void Component::Collide(Component* other)
{
    // A body without a shape (never given one, or destroyed) touches nothing.
    if (m_shape == nullptr || other->m_shape == nullptr)
    {
        return;
    }
    Contact contact;
    if (ShapeContact(*m_shape, *other->m_shape, contact))
    {
        RecordContact(other, contact);
    }
}

void Component::RecordContact(Component* other, const Contact& contact)
{
    const float a = m_inverseMass;
    const float b = other->m_inverseMass;
    // Equal inverse masses share evenly (also two immovable bodies, which would divide 0 by 0).
    const float share = a == b ? 0.5f : (b > a ? (a / b) * 0.5f : 1.0f - (b / a) * 0.5f);
    const float resolves = m_resolveContacts && other->m_resolveContacts ? 1.0f : 0.0f;
    const float sign = contact.depth < 0.0f ? -1.0f : 1.0f;
    const glm::vec3 normal = contact.correction * sign * resolves;
    const float depth = -std::abs(contact.depth) * resolves;
    m_contacts.push_back({contact.point, normal * share, depth, this, other});
    other->m_contacts.push_back({contact.point, normal * -(1.0f - share), depth, other, this});
}

float Component::StableStiffness(float stiffness, float dt) const
{
    if (!(dt > 0.0f) || m_inverseMass == 0.0f)
    {
        return stiffness;
    }
    return std::min(stiffness, 1.0f / (m_inverseMass * dt * dt));
}

void Component::ResolveContacts()
{
    MORVANE_ASSERT_NAMED(m_targetTransform != nullptr, "m_targetTransform", __LINE__);
    glm::vec3 position = m_targetTransform->GetPosition();
    for (const Contact& contact : m_contacts)
    {
        const Component* other = contact.other;
        if (other == nullptr)
        {
            continue;
        }
        const float approach = glm::dot(contact.correction, other->m_velocity - m_velocity);
        // Bodies parting, or closing slower than this, are left alone.
        if (!(approach <= -0.05f))
        {
            continue;
        }
        position += contact.correction * contact.depth;
        const float bounce = (m_restitution + other->m_restitution) * 0.5f + 1.0f;
        const float impulse = -(bounce * approach) / (m_inverseMass + other->m_inverseMass);
        m_velocity -= m_inverseMass * impulse * contact.correction;
    }
    m_targetTransform->SetPosition(position);
}

void Component::ForgetContactsWith(const Component* deleted)
{
    for (Contact& contact : m_contacts)
    {
        if (contact.other == deleted)
        {
            contact.other = nullptr;
        }
    }
}
} // namespace Morvane::Physics
