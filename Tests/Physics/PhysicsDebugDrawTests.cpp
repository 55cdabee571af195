#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "GlTest.h"
#include "Graphics/GraphicsSystem.h"
#include "ParseXml.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "Resources/ResourceSystem.h"

#include <gtest/gtest.h>

namespace Morvane::Physics
{
namespace
{
// With a real renderer, the physics debug shapes land in its debug lists.
class PhysicsDebugDrawTest : public Testing::GlTest
{
protected:
    void TearDown() override
    {
        Game::System::GetInstance().Release();
        physics.Release();
        physics.SetDebugDraw(false);
        GlTest::TearDown();
    }

    void Create(const std::string& xml)
    {
        const auto element = Testing::ParseXml(xml);
        ASSERT_NE(Game::System::GetInstance().CreateObject(static_cast<const IParserData*>(element.get())),
                  nullptr);
    }

    System& physics = System::GetInstance();
};

TEST_F(PhysicsDebugDrawTest, ShapesCellsAndSupportPointsReachTheRenderer)
{
    ASSERT_TRUE(Resources::System::GetInstance().AddDefinition(
        "Tetrahedron", *Testing::ParseXml(R"(<Mesh><Buffer><Data>1 1 1 -1 -1 1 -1 1 -1 1 -1 -1</Data>
            <AttributeDescription location="0"/></Buffer><Indices><Data>0 1 2 0 3 1 0 2 3 1 3 2</Data></Indices></Mesh>)")));
    Create(
        R"(<Object name="a"><Transform/><Physics shape="ConvexPolyhedra" referenceMesh="Tetrahedron" category="Dynamic"/></Object>)");
    Create(
        R"(<Object name="b"><Transform position="0;0;1.9"/><Physics shape="ConvexPolyhedra" referenceMesh="Tetrahedron" category="Dynamic"/></Object>)");
    Create(
        R"(<Object name="floor"><Transform position="0;-5;0"/><Physics shape="AABB" size="2;2;2" category="Static"/></Object>)");
    physics.Initialize();
    Graphics::System& graphics = Graphics::System::GetInstance();
    const std::size_t lines = graphics.GetDebugLineCount();
    const std::size_t boxes = graphics.GetDebugBoxCount();
    const std::size_t spheres = graphics.GetDebugSphereCount();
    // The first step finds the tetrahedra's contact (its support points are marked whatever the flag says).
    physics.Update(0.0f);
    EXPECT_GT(graphics.GetDebugSphereCount(), spheres);
    physics.SetDebugDraw(true);
    physics.Update(0.0f);
    // Six edges per tetrahedron; one box for the floor and one per grid cell.
    EXPECT_EQ(graphics.GetDebugLineCount(), lines + 12);
    EXPECT_GE(graphics.GetDebugBoxCount(), boxes + 2);
}
} // namespace
} // namespace Morvane::Physics
