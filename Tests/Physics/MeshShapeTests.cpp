#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "GraphicsData.h"
#include "LogCapture.h"
#include "ParseXml.h"
#include "Physics/HeadlessMesh.h"
#include "Physics/PhysicsComponent.h"
#include "Physics/PhysicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "Shape/ConvexPolyhedra.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace Morvane::Physics
{
namespace
{
// A cube of half size 1: each corner's position followed by a texture coordinate, 20 bytes a vertex.
constexpr const char* kCubeMesh = R"(<Mesh%s><Buffer><Data>
    -1 -1 -1 0 0   1 -1 -1 1 0   -1 1 -1 0 1   1 1 -1 1 1
    -1 -1 1 0 0    1 -1 1 1 0    -1 1 1 0 1    1 1 1 1 1</Data>
    <AttributeDescription location="0" elementSize="3" stride="20" offset="0"/>
    <AttributeDescription location="1" elementSize="2" stride="20" offset="12"/></Buffer>
    <Indices><Data>0 2 3 0 3 1 4 5 7 4 7 6 0 1 5 0 5 4 2 6 7 2 7 3 0 4 6 0 6 2 1 3 7 1 7 5</Data></Indices></Mesh>)";

class MeshShapeTest : public testing::Test
{
protected:
    void SetUp() override
    {
        Testing::LoadOpenGLConstants();
        HeadlessMesh::Register();
        physics.Initialize();
    }
    void TearDown() override
    {
        game.Release();
        physics.Release();
        resources.Release();
    }

    void DefineMesh(const std::string& name, const std::string& attributes = "")
    {
        char text[2048];
        std::snprintf(text, sizeof text, kCubeMesh, attributes.c_str());
        ASSERT_TRUE(resources.AddDefinition(name, *Testing::ParseXml(text)));
    }

    Component* Hull(const std::string& name, const std::string& position, const std::string& mesh)
    {
        const auto element =
            Testing::ParseXml("<Object name=\"" + name + "\"><Transform position=\"" + position +
                              "\"/><Physics shape=\"ConvexPolyhedra\" referenceMesh=\"" + mesh +
                              "\" category=\"Dynamic\"/></Object>");
        Game::Object* object = game.CreateObject(static_cast<const IParserData*>(element.get()));
        return object != nullptr ? object->GetComponent<Component>() : nullptr;
    }

    static const ConvexPolyhedra& ShapeOf(const Component* body)
    {
        return *static_cast<const ConvexPolyhedra*>(body->GetShape());
    }

    Game::System& game = Game::System::GetInstance();
    System& physics = System::GetInstance();
    Resources::System& resources = Resources::System::GetInstance();
};

TEST_F(MeshShapeTest, HullsComeFromTheMeshesFirstBufferAndCollide)
{
    DefineMesh("Cube");
    Component* a = Hull("a", "0;0;0", "Cube");
    Component* b = Hull("b", "1.8;0;0", "Cube");
    ASSERT_TRUE(a != nullptr && b != nullptr);
    EXPECT_EQ(ShapeOf(a).GetLocalVertices().size(), 8u);
    EXPECT_EQ(ShapeOf(a).GetLocalNormals().size(), 3u);
    physics.Update(0.0f);
    ASSERT_EQ(a->GetContacts().size(), 1u);
    EXPECT_NEAR(a->GetContacts()[0].correction.x, 0.5f, 1e-6f);
    EXPECT_NEAR(a->GetContacts()[0].depth, -0.2f, 1e-6f);
}

TEST_F(MeshShapeTest, UnknownMeshLeavesTheHullEmpty)
{
    Component* body = Hull("a", "0;0;0", "NoSuchMesh");
    ASSERT_NE(body, nullptr);
    physics.Update(0.016f);
    EXPECT_TRUE(ShapeOf(body).GetLocalVertices().empty());
}

// A mesh parsed on the load thread is built into the hull only once the main thread initialised it.
TEST_F(MeshShapeTest, HullWaitsForAMeshOnTheLoadThread)
{
    ASSERT_TRUE(resources.Initialize());
    DefineMesh("Rock", R"( multiThreaded="true")");
    Component* body = Hull("a", "0;0;0", "Rock");
    ASSERT_NE(body, nullptr);
    EXPECT_TRUE(ShapeOf(body).GetLocalVertices().empty());
    for (int attempt = 0; attempt < 500 && ShapeOf(body).GetLocalVertices().empty(); ++attempt)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        resources.Update(0.0f);
        physics.Update(0.0f);
    }
    EXPECT_EQ(ShapeOf(body).GetLocalVertices().size(), 8u);
}
} // namespace
} // namespace Morvane::Physics
