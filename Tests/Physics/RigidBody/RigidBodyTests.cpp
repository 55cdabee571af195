#include "LogCapture.h"
#include "Physics/GameBodies.h"
#include "Physics/RigidBody/RigidBody.h"

#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>

namespace Morvane::Testing
{
namespace
{
constexpr float kRadiansPerDegree = 0.017453292f;

bool IsFinite(const glm::vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Linear plus rotational energy; the angular velocity is in degrees per second.
float KineticEnergy(const RigidBody* body)
{
    const glm::vec3 spin = body->GetWorldInverseInertia() * body->GetAngularMomentum() * kRadiansPerDegree;
    return 0.5f * glm::dot(body->GetLinearMomentum(), body->GetLinearMomentum()) * body->GetInverseMass() +
           0.5f * glm::dot(body->GetAngularMomentum(), spin);
}

class RigidBodyTest : public GameBodies
{
protected:
    static constexpr const char* kRigid = R"(type="PhysicsComponent_RigidBody" category="Dynamic" )";

    RigidBody* Box(const std::string& name, const std::string& position, const std::string& extra)
    {
        return MakeBody<RigidBody>(name, position,
                                   std::string(kRigid) + R"(shape="AABB" size="2;2;2" )" + extra);
    }
    RigidBody* Cube(const std::string& name, const std::string& position, const std::string& extra)
    {
        return MakeCube<RigidBody>(name, position, std::string(kRigid) + extra);
    }
};

TEST_F(RigidBodyTest, OnlyLightBodiesFall)
{
    RigidBody* heavy = Box("heavy", "0;0;0", R"(mass="50")");
    RigidBody* light = Box("light", "10;0;0", R"(mass="49")");
    EXPECT_FLOAT_EQ(light->GetInertia()[1][1], 49.0f / 6.0f);
    EXPECT_EQ(light->GetInertia()[0][1], 0.0f);
    Step(0.1f, 3);
    EXPECT_EQ(heavy->GetVelocity(), glm::vec3(0.0f));
    EXPECT_EQ(TransformOf(heavy).GetPosition(), glm::vec3(0.0f));
    EXPECT_NEAR(light->GetVelocity().y, -1.8f * 0.3f, 1e-5f);
    RigidBody* thrown = Box("thrown", "20;0;0", R"(mass="60" velocity="1;0;0")");
    Step(0.5f);
    EXPECT_NEAR(thrown->GetVelocity().x, 1.0f, 1e-6f) << "the initial velocity is kept";
}

TEST_F(RigidBodyTest, AnOffCentreHitConservesMomentumAndSpinsBoth)
{
    RigidBody* a = Cube("a", "0;0;0", R"(mass="50")");
    RigidBody* b = Cube("b", "1.9;0.8;0", R"(mass="60" velocity="-2;0;0")");
    const glm::vec3 before = a->GetLinearMomentum() + b->GetLinearMomentum();
    a->UpdateBounds();
    b->UpdateBounds();
    a->Collide(b);
    ASSERT_EQ(a->GetContacts().size(), 1u);
    const Physics::Contact contact = a->GetContacts()[0];
    const glm::vec3 normal = glm::normalize(contact.correction);
    EXPECT_NEAR(normal.x, 1.0f, 1e-5f) << "toward the other body";
    const glm::vec3 armA = contact.point - TransformOf(a).GetPosition();
    const glm::vec3 armB = contact.point - TransformOf(b).GetPosition();
    a->ResolveContacts();
    b->ResolveContacts();
    const glm::vec3 after = a->GetLinearMomentum() + b->GetLinearMomentum();
    EXPECT_NEAR(glm::distance(before, after), 0.0f, 1e-4f);
    EXPECT_LT(a->GetLinearMomentum().x, 0.0f);
    const glm::vec3 axisA = glm::cross(armA, normal);
    const glm::vec3 axisB = glm::cross(armB, -normal);
    ASSERT_GT(glm::length(axisA), 0.1f);
    EXPECT_NEAR(glm::length(glm::cross(a->GetAngularMomentum(), axisA)), 0.0f, 1e-5f);
    EXPECT_NEAR(glm::length(glm::cross(b->GetAngularMomentum(), axisB)), 0.0f, 1e-5f);
    EXPECT_GT(glm::length(a->GetAngularMomentum()), 0.01f);
    EXPECT_GT(glm::length(b->GetAngularMomentum()), 0.01f);
    // The spin pulls A's contact point away from B: A turns against rA × n.
    EXPECT_LT(glm::dot(a->GetAngularMomentum(), axisA), 0.0f);
    Step(0.016f);
    EXPECT_NE(TransformOf(a).GetRotation(), glm::quat(1, 0, 0, 0));
    EXPECT_NE(TransformOf(b).GetRotation(), glm::quat(1, 0, 0, 0));
}

TEST_F(RigidBodyTest, ImpulsesNeverAddEnergyNorPullPartingBodies)
{
    RigidBody* a = Cube("a", "0;0;0", R"(mass="50")");
    RigidBody* b = Cube("b", "2.2;0.9;0.3", R"(mass="70" velocity="-3;0;0")");
    b->AddTorque(glm::vec3(0.0f, 0.0f, 2000.0f));
    Step(0.016f);
    float energy = KineticEnergy(a) + KineticEnergy(b);
    for (int step = 0; step < 120; ++step)
    {
        Step(0.016f);
        const float now = KineticEnergy(a) + KineticEnergy(b);
        EXPECT_LE(now, energy * (1.0f + 1e-5f)) << step;
        energy = now;
    }
    // Overlapping but already parting: the positions separate, the momenta stay.
    RigidBody* c = Cube("c", "0;10;0", R"(mass="50" velocity="-1;0;0")");
    RigidBody* d = Cube("d", "1.8;10;0", R"(mass="50" velocity="1;0;0")");
    c->UpdateBounds();
    d->UpdateBounds();
    c->Collide(d);
    ASSERT_FALSE(c->GetContacts().empty());
    c->ResolveContacts();
    d->ResolveContacts();
    EXPECT_EQ(c->GetLinearMomentum(), glm::vec3(-50.0f, 0.0f, 0.0f));
    EXPECT_EQ(d->GetLinearMomentum(), glm::vec3(50.0f, 0.0f, 0.0f));
    EXPECT_EQ(c->GetAngularMomentum(), glm::vec3(0.0f));
    EXPECT_LT(TransformOf(c).GetPosition().x, 0.0f);
}

TEST_F(RigidBodyTest, DegenerateCasesStayFinite)
{
    // A trigger partner gives a zero correction; mass 0 has no inertia to invert.
    RigidBody* body = Cube("body", "0;0;0", R"(mass="1")");
    Cube("trigger", "1;0;0", R"(mass="1" resolveContacts="false")");
    RigidBody* immovable = Cube("immovable", "0;-1.9;0", R"(mass="0")");
    EXPECT_EQ(immovable->GetWorldInverseInertia(), glm::mat3(0.0f));
    TransformOf(body).SetRotation(glm::quat(1.0000001f, 0.0f, 0.0f, 0.0f));
    for (int step = 0; step < 30; ++step)
    {
        Step(0.016f);
        for (const Physics::Component* each : physics.GetComponents())
        {
            const auto* rigid = static_cast<const RigidBody*>(each);
            const glm::quat rotation = TransformOf(rigid).GetRotation();
            ASSERT_TRUE(IsFinite(TransformOf(rigid).GetPosition())) << step;
            ASSERT_TRUE(std::isfinite(rotation.w) && IsFinite(glm::vec3(rotation.x, rotation.y, rotation.z)));
            ASSERT_TRUE(IsFinite(rigid->GetAngularVelocity()));
        }
    }
    EXPECT_FALSE(body->GetContacts().empty());
    EXPECT_EQ(TransformOf(immovable).GetPosition(), glm::vec3(0.0f, -1.9f, 0.0f));

    // Momenta that would overflow, and inertias whose inverse would, are refused.
    for (const char* attributes : {R"(mass="100" velocity="1e37;1e37;0")", R"(mass="1e-38")"})
    {
        LogCapture log;
        EXPECT_EQ(Box("overflow", "0;50;0", attributes), nullptr) << attributes;
        EXPECT_TRUE(log.Contains("is out of range")) << log.Text();
    }
}

TEST_F(RigidBodyTest, OverlappingBoxesAndPolyhedraSeparate)
{
    RigidBody* a = Box("a", "0;0;0", R"(mass="50")");
    RigidBody* b = Box("b", "1.8;0;0", R"(mass="50")");
    RigidBody* c = Cube("c", "0;10;0", R"(mass="50")");
    RigidBody* d = Cube("d", "1.8;10;0", R"(mass="50")");
    Step(0.016f, 2);
    EXPECT_NEAR(TransformOf(b).GetPosition().x - TransformOf(a).GetPosition().x, 2.0f, 1e-5f);
    EXPECT_NEAR(TransformOf(d).GetPosition().x - TransformOf(c).GetPosition().x, 2.0f, 1e-4f);
    EXPECT_EQ(a->GetAngularMomentum(), glm::vec3(0.0f)) << "box contacts have no lever arm";
}

TEST_F(RigidBodyTest, RigidBodiesAnswerOnlyRigidBodies)
{
    RigidBody* box = Box("box", "0;0.9;0", R"(mass="1" velocity="0;-1;0")");
    MakeBody("floor", "0;-1;0", R"(category="Static" shape="AABB" size="10;2;10" mass="0")");
    Step(0.016f);
    EXPECT_FALSE(box->GetContacts().empty());
    EXPECT_LT(box->GetVelocity().y, -1.0f);
    EXPECT_LT(TransformOf(box).GetPosition().y, 0.9f);
}
} // namespace
} // namespace Morvane::Testing
