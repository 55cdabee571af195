#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "LogCapture.h"
#include "ParseXml.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "Shape/AABB.h"
#include "Shape/ConvexPolyhedra.h"
#include "Shape/DebugDrawer.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace Morvane::Physics
{
namespace
{
struct CountingDrawer : DebugDrawer
{
    void Line(const glm::vec3&, const glm::vec3&, const glm::vec4&) override { ++lines; }
    void Box(const glm::vec3&, const glm::vec3&, const glm::vec4& colour) override
    {
        ++boxes;
        lastBoxColour = colour;
    }
    void Sphere(const glm::vec3&, float, const glm::vec4&) override { ++spheres; }
    int lines = 0;
    int boxes = 0;
    int spheres = 0;
    glm::vec4 lastBoxColour{0.0f};
};

class PhysicsSystemTest : public testing::Test
{
protected:
    void SetUp() override { physics.Initialize(); }
    void TearDown() override
    {
        game.Release();
        physics.Release();
        physics.SetPaused(false);
        physics.SetDebugDraw(false);
        physics.SetDebugDrawer(nullptr);
    }

    // An object with a transform at `position` and one "Physics" element with `attributes`.
    Game::Object* Body(const std::string& name, const std::string& position, const std::string& attributes,
                       const std::string& transform = "")
    {
        const auto element =
            Testing::ParseXml("<Object name=\"" + name + "\"><Transform position=\"" + position + "\" " +
                              transform + "/><Physics " + attributes + "/></Object>");
        return game.CreateObject(static_cast<const IParserData*>(element.get()));
    }
    static Component* PhysicsOf(Game::Object* object)
    {
        return object != nullptr ? object->GetComponent<Component>() : nullptr;
    }
    static glm::vec3 PositionOf(Game::Object* object)
    {
        const auto* transform =
            object != nullptr ? object->GetComponent<Game::TransformComponent>() : nullptr;
        return transform != nullptr ? transform->GetPosition() : glm::vec3(std::nanf(""));
    }

    static constexpr const char* kBox = R"(shape="AABB" size="2;2;2" )";

    Game::System& game = Game::System::GetInstance();
    System& physics = System::GetInstance();
};

TEST_F(PhysicsSystemTest, TwoBodyExampleResolvesInListOrder)
{
    Component* a =
        PhysicsOf(Body("a", "0;0;0", std::string(kBox) + R"(category="Dynamic" velocity="1;0;0")"));
    Component* b = PhysicsOf(Body("b", "1.8;0;0", std::string(kBox) + R"(category="Dynamic")"));
    a->UpdateBounds();
    b->UpdateBounds();
    a->Collide(b);
    ASSERT_EQ(a->GetContacts().size(), 1u);
    ASSERT_EQ(b->GetContacts().size(), 1u);
    EXPECT_EQ(a->GetContacts()[0].correction, glm::vec3(0.5f, 0.0f, 0.0f));
    EXPECT_EQ(b->GetContacts()[0].correction, glm::vec3(-0.5f, 0.0f, 0.0f));
    EXPECT_NEAR(a->GetContacts()[0].depth, -0.2f, 1e-6f);
    a->ResolveContacts();
    b->ResolveContacts();
    EXPECT_EQ(a->GetVelocity().x, 0.8125f);
    EXPECT_EQ(b->GetVelocity().x, 0.15234375f);
    EXPECT_NEAR(a->GetTargetTransform()->GetPosition().x, -0.1f, 1e-6f);
    EXPECT_NEAR(b->GetTargetTransform()->GetPosition().x, 1.9f, 1e-6f);
}

TEST_F(PhysicsSystemTest, CategoriesFillTheirListsAndTheGrid)
{
    Testing::LogCapture log;
    Body("d", "0;0;0", std::string(kBox) + R"(category="Dynamic")");
    Body("k", "0;5;0", std::string(kBox) + R"(category="Kinematic")");
    Body("s", "0;-5;0", std::string(kBox) + R"(category="Static")");
    Body("none", "0;9;0", kBox);
    EXPECT_EQ(physics.GetComponents().size(), 4u);
    EXPECT_EQ(physics.GetDynamicComponents().size(), 1u);
    EXPECT_EQ(physics.GetKinematicComponents().size(), 1u);
    ASSERT_EQ(physics.GetStaticComponents().size(), 1u);
    EXPECT_EQ(physics.GetGrid().GetCells().size(), 1u);
    EXPECT_TRUE(log.Contains("Trying to register unknown type component: none/Physics"));
    EXPECT_TRUE(log.Contains("Physics system"));
    EXPECT_TRUE(game.GetObject("none") != nullptr);
}

TEST_F(PhysicsSystemTest, MalformedDataFailsWithItsMessage)
{
    struct Case
    {
        std::string attributes;
        std::string message;
    };
    const Case cases[] = {
        {R"(category="Floating")", "Unknown type of physics"},
        {R"(category="Dynamic" shape="Sphere")", "Physics component with invalid type: 'Sphere'"},
        {R"(category="Dynamic" shape="AABB")", "An AABB must be given a size"},
        {R"(category="Dynamic" shape="AABB")", "Could not load shape correctly"},
        {R"(mass="-1")", "Attribute 'mass' is out of range"},
        {R"(mass="nan")", "Attribute 'mass' is out of range"},
        {R"(mass="inf")", "Attribute 'mass' is out of range"},
        {R"(mass="1e-45")", "Attribute 'mass' is out of range"},
        {R"(restitution="nan")", "Attribute 'restitution' is out of range"},
        {R"(restitution="-2")", "Attribute 'restitution' is out of range"},
        {R"(restitution="1.5")", "Attribute 'restitution' is out of range"},
        {R"(velocity="1;inf;0")", "Attribute 'velocity' is out of range"},
        {R"(shape="AABB" size="nan;1;1")", "Attribute 'size' is out of range"},
        {R"(shape="AABB" size="1;1;1e39")", "Attribute 'size' is out of range"},
    };
    for (const Case& bad : cases)
    {
        Testing::LogCapture log;
        Game::Object* object = Body("bad", "0;0;0", bad.attributes);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(PhysicsOf(object), nullptr) << bad.attributes;
        EXPECT_TRUE(log.Contains(bad.message)) << bad.attributes << "\n" << log.Text();
        EXPECT_TRUE(log.Contains(object->GetName() + "/Physics")) << bad.attributes;
        EXPECT_TRUE(physics.GetComponents().empty());
        EXPECT_TRUE(physics.GetDynamicComponents().empty());
        EXPECT_FALSE(log.Contains("missing from its category list"));
        game.Release();
    }
}

TEST_F(PhysicsSystemTest, TransformMustComeFirst)
{
    Testing::LogCapture log;
    const auto element = Testing::ParseXml(
        R"(<Object name="late"><Physics category="Dynamic" shape="AABB" size="1;1;1"/><Transform/></Object>)");
    EXPECT_EQ(PhysicsOf(game.CreateObject(static_cast<const IParserData*>(element.get()))), nullptr);
    EXPECT_TRUE(log.Contains("Physics component needs a transform before it"));
    EXPECT_TRUE(log.Contains("late/Physics"));
    EXPECT_TRUE(physics.GetComponents().empty());
    physics.Update(0.016f);
}

TEST_F(PhysicsSystemTest, IdsAndSizesReadLeniently)
{
    Component* body =
        PhysicsOf(Body("ids", "0;0;0",
                       R"(shape="AABB" size="-2;4;6" collisionIds="1;;99999999999" collideWithIds="2;")"
                       R"( category="Static")"));
    EXPECT_EQ(body->GetCollisionIds(), (std::vector<std::int32_t>{1, 0, 2147483647}));
    EXPECT_EQ(body->GetCollideWithIds(), (std::vector<std::int32_t>{2, 0}));
    EXPECT_EQ(static_cast<const AABB*>(body->GetShape())->GetHalfSize(), glm::vec3(1, 2, 3));
    EXPECT_TRUE(body->HasCollisionId(0));
    EXPECT_FALSE(body->HasCollisionId(2));
}

TEST_F(PhysicsSystemTest, FiltersDecideWhichPairsCollide)
{
    Component* a = PhysicsOf(
        Body("a", "0;0;0", std::string(kBox) + R"(collisionIds="1" collideWithIds="2" category="Dynamic")"));
    Component* b = PhysicsOf(
        Body("b", "0;0;0", std::string(kBox) + R"(collisionIds="1" collideWithIds="2" category="Dynamic")"));
    Component* group2 = PhysicsOf(
        Body("g", "0;0;0", std::string(kBox) + R"(collisionIds="2" collideWithIds="7" category="Dynamic")"));
    Component* ghost =
        PhysicsOf(Body("ghost", "0;0;0", std::string(kBox) + R"(collidable="false" category="Dynamic")"));
    EXPECT_FALSE(a->CanCollideWith(b));
    EXPECT_TRUE(a->CanCollideWith(group2));
    EXPECT_TRUE(group2->CanCollideWith(b));
    EXPECT_FALSE(ghost->CanCollideWith(group2));
    physics.Update(0.0f);
    EXPECT_EQ(a->GetContacts().size(), 1u);
    EXPECT_EQ(b->GetContacts().size(), 1u);
    EXPECT_EQ(group2->GetContacts().size(), 2u);
    EXPECT_TRUE(ghost->GetContacts().empty());
}

TEST_F(PhysicsSystemTest, MassZeroIgnoresForcesAndNeverMeetsAnotherMassZero)
{
    Component* a =
        PhysicsOf(Body("a", "0;0;0", std::string(kBox) + R"(mass="0" velocity="1;0;0" category="Dynamic")"));
    Component* b = PhysicsOf(Body("b", "0.5;0;0", std::string(kBox) + R"(mass="0" category="Static")"));
    a->AddForce(glm::vec3(100.0f, 0.0f, 0.0f));
    physics.Update(0.5f);
    EXPECT_EQ(a->GetVelocity(), glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(a->GetForce(), glm::vec3(0.0f));
    EXPECT_EQ(a->GetTargetTransform()->GetPosition(), glm::vec3(0.5f, 0.0f, 0.0f));
    EXPECT_TRUE(a->GetContacts().empty());
    EXPECT_TRUE(b->GetContacts().empty());
}

TEST_F(PhysicsSystemTest, StaticBodyOfDefaultMassTakesHalfTheCorrection)
{
    Component* body = PhysicsOf(Body("d", "0;1.8;0", std::string(kBox) + R"(category="Dynamic")"));
    PhysicsOf(Body("floor", "0;0;0", std::string(kBox) + R"(category="Static")"));
    physics.Update(0.0f);
    ASSERT_EQ(body->GetContacts().size(), 1u);
    EXPECT_EQ(body->GetContacts()[0].correction, glm::vec3(0.0f, -0.5f, 0.0f));
    Component* heavy =
        PhysicsOf(Body("heavy", "0;3.6;0", std::string(kBox) + R"(mass="0" category="Static")"));
    physics.Update(0.0f);
    ASSERT_EQ(body->GetContacts().size(), 2u);
    EXPECT_EQ(body->GetContacts()[1].correction, glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(body->GetContacts()[1].other, heavy);
}

TEST_F(PhysicsSystemTest, RestingContactNeedsAnApproachToCorrect)
{
    Component* box = PhysicsOf(Body("box", "0;1.9;0", std::string(kBox) + R"(category="Dynamic")"));
    PhysicsOf(Body("floor", "0;0;0", std::string(kBox) + R"(category="Static" mass="0")"));
    for (int frame = 0; frame < 3; ++frame)
    {
        physics.Update(0.016f);
        EXPECT_EQ(box->GetContacts().size(), 1u);
        EXPECT_EQ(PositionOf(box->GetParentObject()), glm::vec3(0.0f, 1.9f, 0.0f));
    }
    box->SetVelocity(glm::vec3(0.0f, -1.0f, 0.0f));
    physics.Update(0.0f);
    EXPECT_NEAR(PositionOf(box->GetParentObject()).y, 2.0f, 1e-6f);
    // Restitution 0.5 on both: the impulse is 1.5 times the approach.
    EXPECT_NEAR(box->GetVelocity().y, 0.5f, 1e-6f);
}

TEST_F(PhysicsSystemTest, TriggersSeeContactsButAreNeverPushed)
{
    Component* trigger = PhysicsOf(
        Body("trigger", "0;0;0", std::string(kBox) + R"(resolveContacts="false" category="Dynamic")"));
    Component* mover =
        PhysicsOf(Body("mover", "1;0;0", std::string(kBox) + R"(velocity="-1;0;0" category="Dynamic")"));
    physics.Update(0.016f);
    ASSERT_EQ(trigger->GetContacts().size(), 1u);
    EXPECT_EQ(trigger->GetContacts()[0].correction, glm::vec3(0.0f));
    EXPECT_EQ(trigger->GetContacts()[0].depth, 0.0f);
    EXPECT_EQ(trigger->GetContacts()[0].other, mover);
    EXPECT_EQ(PositionOf(trigger->GetParentObject()), glm::vec3(0.0f));
    EXPECT_EQ(mover->GetVelocity(), glm::vec3(-1.0f, 0.0f, 0.0f));
}

TEST_F(PhysicsSystemTest, KinematicBodiesPushDynamicOnes)
{
    Component* pusher =
        PhysicsOf(Body("pusher", "0;0;0", std::string(kBox) + R"(velocity="2;0;0" category="Kinematic")"));
    Component* box = PhysicsOf(Body("box", "2.1;0;0", std::string(kBox) + R"(category="Dynamic")"));
    for (int frame = 0; frame < 10; ++frame)
    {
        physics.Update(0.1f);
    }
    EXPECT_EQ(pusher->GetVelocity(), glm::vec3(2.0f, 0.0f, 0.0f));
    EXPECT_NEAR(PositionOf(pusher->GetParentObject()).x, 2.0f, 1e-5f);
    EXPECT_GT(PositionOf(box->GetParentObject()).x, 3.5f);
    EXPECT_GT(box->GetVelocity().x, 0.0f);
}

TEST_F(PhysicsSystemTest, DeletedBodiesLeaveNoDanglingContacts)
{
    Component* a =
        PhysicsOf(Body("a", "0;0;0", std::string(kBox) + R"(category="Dynamic" velocity="1;0;0")"));
    Game::Object* wall = Body("wall", "1.8;0;0", std::string(kBox) + R"(category="Static")");
    physics.Update(0.0f);
    ASSERT_EQ(a->GetContacts().size(), 1u);
    game.MarkForDeletion(wall);
    game.Update(0.0f);
    ASSERT_EQ(a->GetContacts().size(), 1u);
    EXPECT_EQ(a->GetContacts()[0].other, nullptr);
    EXPECT_TRUE(physics.GetStaticComponents().empty());
    a->ResolveContacts();
    physics.Update(0.016f);
    EXPECT_TRUE(a->GetContacts().empty());
}

TEST_F(PhysicsSystemTest, ABodyWithoutShapeNeverCollides)
{
    Component* a = PhysicsOf(Body("a", "0;0;0", std::string(kBox) + R"(category="Dynamic")"));
    Component* b = PhysicsOf(Body("b", "0;0;0", std::string(kBox) + R"(category="Dynamic")"));
    Component* bare = PhysicsOf(Body("bare", "0;0;0", R"(category="Dynamic")"));
    b->DestroyShape();
    physics.Update(0.016f);
    EXPECT_TRUE(a->GetContacts().empty());
    EXPECT_TRUE(bare->GetContacts().empty());
}

TEST_F(PhysicsSystemTest, PauseFreezesBodiesButKeepsDebugDrawing)
{
    CountingDrawer drawer;
    physics.SetDebugDrawer(&drawer);
    physics.SetDebugDraw(true);
    Component* body =
        PhysicsOf(Body("a", "0;0;0", std::string(kBox) + R"(category="Dynamic" velocity="1;0;0")"));
    PhysicsOf(Body("floor", "0;-1.5;0", std::string(kBox) + R"(category="Static")"));
    physics.SetPaused(true);
    physics.Update(0.5f);
    EXPECT_EQ(PositionOf(body->GetParentObject()), glm::vec3(0.0f));
    // Two shapes and the one cell of the grid.
    EXPECT_EQ(drawer.boxes, 3);
    EXPECT_EQ(drawer.lastBoxColour, glm::vec4(0.1f));
    physics.SetPaused(false);
    physics.Update(0.5f);
    EXPECT_NE(PositionOf(body->GetParentObject()), glm::vec3(0.0f));
}

TEST_F(PhysicsSystemTest, StaticBodiesMovedLaterAreFoundThroughTheGrid)
{
    Component* box = PhysicsOf(Body("box", "300;0;0", std::string(kBox) + R"(category="Dynamic")"));
    Game::Object* wall = Body("wall", "0;0;0", std::string(kBox) + R"(category="Static")");
    physics.Update(0.0f);
    EXPECT_TRUE(box->GetContacts().empty());
    wall->GetComponent<Game::TransformComponent>()->SetPosition(glm::vec3(301.0f, 0.0f, 0.0f));
    physics.Update(0.0f);
    EXPECT_EQ(box->GetContacts().size(), 1u);
    // A box shape wider than the transform's scale still reaches the cells it covers.
    Component* wide = PhysicsOf(Body("wide", "-300;0;0", R"(shape="AABB" size="200;2;2" category="Static")"));
    Component* far = PhysicsOf(Body("far", "-399;0;0", std::string(kBox) + R"(category="Dynamic")"));
    physics.Update(0.0f);
    EXPECT_EQ(far->GetContacts().size(), 1u);
    EXPECT_EQ(wide->GetContacts().size(), 1u);
}

TEST_F(PhysicsSystemTest, ConvexBodiesCollideLikeBoxes)
{
    Component* a =
        PhysicsOf(Body("a", "0;0;0", R"(shape="ConvexPolyhedra" category="Dynamic" velocity="1;0;0")"));
    Component* b = PhysicsOf(Body("b", "1.8;0;0", R"(shape="ConvexPolyhedra" category="Dynamic")"));
    const std::vector<float> cube = {-1, -1, -1, 1, -1, -1, -1, 1, -1, 1, 1, -1,
                                     -1, -1, 1,  1, -1, 1,  -1, 1, 1,  1, 1, 1};
    const std::vector<std::uint32_t> triangles = {0, 2, 3, 0, 3, 1, 4, 5, 7, 4, 7, 6, 0, 1, 5, 0, 5, 4,
                                                  2, 6, 7, 2, 7, 3, 0, 4, 6, 0, 6, 2, 1, 3, 7, 1, 7, 5};
    static_cast<ConvexPolyhedra*>(a->GetShape())->Build(triangles, cube, VertexLayout{});
    static_cast<ConvexPolyhedra*>(b->GetShape())->Build(triangles, cube, VertexLayout{});
    a->UpdateBounds();
    b->UpdateBounds();
    a->Collide(b);
    ASSERT_EQ(a->GetContacts().size(), 1u);
    EXPECT_NEAR(a->GetContacts()[0].correction.x, 0.5f, 1e-6f);
    a->ResolveContacts();
    b->ResolveContacts();
    EXPECT_NEAR(a->GetVelocity().x, 0.8125f, 1e-6f);
    EXPECT_NEAR(b->GetVelocity().x, 0.15234375f, 1e-6f);
    EXPECT_LT(PositionOf(a->GetParentObject()).x, 0.0f);
}

TEST_F(PhysicsSystemTest, UnknownReferenceMeshGivesAnEmptyShape)
{
    Component* body = PhysicsOf(
        Body("a", "0;0;0", R"(shape="ConvexPolyhedra" referenceMesh="NoSuchMesh" category="Dynamic")"));
    ASSERT_NE(body, nullptr);
    physics.Update(0.016f);
    EXPECT_TRUE(static_cast<ConvexPolyhedra*>(body->GetShape())->GetLocalVertices().empty());
}

TEST_F(PhysicsSystemTest, SaveWritesBackWhatWasRead)
{
    const std::string attributes =
        R"(resolveContacts="false" restitution="0.25" mass="2.5" collidable="false" )"
        R"(velocity="1;-2;0.125" collisionIds="3;4" collideWithIds="5" category="Kinematic" )"
        R"(shape="AABB" size="0.1;2;3")";
    Component* original = PhysicsOf(Body("saved", "0;0;0", attributes));
    original->SetVelocity(glm::vec3(7.0f));
    auto saved = Testing::ParseXml("<Object name=\"copy\"/>");
    saved->AddChild("Transform");
    ASSERT_TRUE(original->Save(saved.get()));
    Game::Object* copy = game.CreateObject(static_cast<const IParserData*>(saved.get()));
    ASSERT_NE(copy, nullptr);
    const Component* reloaded = PhysicsOf(copy);
    ASSERT_NE(reloaded, nullptr);
    EXPECT_FALSE(reloaded->GetResolveContacts());
    EXPECT_FALSE(reloaded->IsCollidable());
    EXPECT_EQ(reloaded->GetRestitution(), 0.25f);
    EXPECT_EQ(reloaded->GetMass(), 2.5f);
    EXPECT_EQ(reloaded->GetVelocity(), glm::vec3(1.0f, -2.0f, 0.125f));
    EXPECT_EQ(reloaded->GetCollisionIds(), (std::vector<std::int32_t>{3, 4}));
    EXPECT_EQ(reloaded->GetCollideWithIds(), (std::vector<std::int32_t>{5}));
    EXPECT_EQ(reloaded->GetCategory(), Category::Kinematic);
    EXPECT_EQ(static_cast<const AABB*>(reloaded->GetShape())->GetHalfSize(),
              static_cast<const AABB*>(original->GetShape())->GetHalfSize());

    auto convex = Testing::ParseXml("<Object/>");
    Component* hull = PhysicsOf(Body("hull", "0;0;0", R"(shape="ConvexPolyhedra" referenceMesh="Rock")"));
    ASSERT_TRUE(hull->Save(convex.get()));
    const IParserData* element = convex->GetFirstChild();
    EXPECT_EQ(element->GetAttribute("shape", ""), "ConvexPolyhedra");
    EXPECT_EQ(element->GetAttribute("referenceMesh", ""), "Rock");
    EXPECT_FALSE(element->HasAttribute("category"));
}

TEST_F(PhysicsSystemTest, CustomKindsComeFromTheFactory)
{
    Testing::LogCapture log;
    EXPECT_EQ(PhysicsOf(Body("custom", "0;0;0", R"(type="PhysicsComponent_Spring" category="Dynamic")")),
              nullptr);
    EXPECT_TRUE(physics.GetComponents().empty());
    physics.m_customComponentFactory = [](Game::Object* owner, const IParserData*)
    { return new Component(owner); };
    EXPECT_NE(PhysicsOf(Body("custom2", "0;0;0", R"(type="PhysicsComponent_Spring" category="Dynamic")")),
              nullptr);
    physics.m_customComponentFactory = nullptr;
    EXPECT_EQ(physics.GetDynamicComponents().size(), 1u);
}

TEST_F(PhysicsSystemTest, ReleaseDestroysEveryBodyAndDetachesIt)
{
    Game::Object* object = Body("a", "0;0;0", std::string(kBox) + R"(category="Static")");
    Body("b", "0;0;0", std::string(kBox) + R"(category="Dynamic")");
    physics.Release();
    EXPECT_TRUE(physics.GetComponents().empty());
    EXPECT_TRUE(physics.GetStaticComponents().empty());
    EXPECT_TRUE(physics.GetGrid().GetCells().empty());
    EXPECT_EQ(object->GetComponent<Component>(), nullptr);
    physics.Update(0.016f);
}
} // namespace
} // namespace Morvane::Physics
