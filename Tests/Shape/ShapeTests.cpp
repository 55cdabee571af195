#include "LogCapture.h"
#include "ParseXml.h"
#include "Shape/AABB.h"
#include "Shape/ConvexPolyhedra.h"
#include "Shape/DebugDrawer.h"
#include "TestMeshes.h"

#include <cmath>
#define GLM_ENABLE_EXPERIMENTAL
#include <glm/gtx/quaternion.hpp>
#include <gtest/gtest.h>
#include <limits>

namespace Morvane::Physics
{
namespace
{
using Testing::BuildShape;
using Testing::CubeMesh;
using Testing::WorldMatrix;

AABB Box(const glm::vec3& centre, const glm::vec3& size)
{
    AABB box;
    box.SetHalfSize(size * 0.5f);
    box.Update(centre, glm::mat4(1.0f));
    return box;
}

bool Collide(const AABB& a, const AABB& b, Contact& contact)
{
    return a.CollideAABB(&b, &contact);
}

bool Intersect(const AABB& a, const AABB& b)
{
    return a.IntersectsAABB(&b);
}

struct RecordingDrawer : DebugDrawer
{
    void Line(const glm::vec3&, const glm::vec3&, const glm::vec4&) override { ++lines; }
    void Box(const glm::vec3& centre, const glm::vec3& size, const glm::vec4&) override
    {
        boxCentre = centre;
        boxSize = size;
    }
    void Sphere(const glm::vec3&, float radius, const glm::vec4&) override
    {
        ++spheres;
        sphereRadius = radius;
    }
    int lines = 0;
    int spheres = 0;
    float sphereRadius = 0.0f;
    glm::vec3 boxCentre{0.0f};
    glm::vec3 boxSize{0.0f};
};

TEST(AABBShape, TouchingBoxesCollideWithZeroDepthOnEveryAxis)
{
    for (int axis = 0; axis < 3; ++axis)
    {
        glm::vec3 offset(0.0f);
        offset[axis] = 2.0f;
        Contact contact;
        ASSERT_TRUE(Collide(Box(glm::vec3(0.0f), glm::vec3(2.0f)), Box(offset, glm::vec3(2.0f)), contact));
        EXPECT_EQ(contact.depth, 0.0f);
        glm::vec3 normal(0.0f);
        normal[axis] = -1.0f;
        EXPECT_EQ(contact.correction, normal) << axis;
        EXPECT_EQ(contact.point, glm::vec3(0.0f));
    }
}

TEST(AABBShape, OverlapDepthIsSignedByTheSideOfTheOtherBox)
{
    for (int axis = 0; axis < 3; ++axis)
    {
        for (const float side : {1.0f, -1.0f})
        {
            glm::vec3 offset(0.0f);
            offset[axis] = 1.8f * side;
            Contact contact;
            ASSERT_TRUE(
                Collide(Box(glm::vec3(0.0f), glm::vec3(2.0f)), Box(offset, glm::vec3(2.0f)), contact));
            EXPECT_NEAR(contact.depth, side > 0.0f ? -0.2f : 0.2f, 1e-6f);
            glm::vec3 normal(0.0f);
            normal[axis] = -1.0f;
            EXPECT_EQ(contact.correction, normal);
        }
    }
}

TEST(AABBShape, SeparatedBoxesAndNaNBoxesDoNotCollide)
{
    Contact contact;
    const AABB origin = Box(glm::vec3(0.0f), glm::vec3(2.0f));
    EXPECT_FALSE(Collide(origin, Box(glm::vec3(0.0f, 2.01f, 0.0f), glm::vec3(2.0f)), contact));
    EXPECT_FALSE(Intersect(origin, Box(glm::vec3(0.0f, 0.0f, -2.01f), glm::vec3(2.0f))));
    EXPECT_TRUE(Intersect(origin, Box(glm::vec3(2.0f, 0.0f, 0.0f), glm::vec3(2.0f))));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(Collide(origin, Box(glm::vec3(nan), glm::vec3(2.0f)), contact));
    EXPECT_FALSE(Collide(Box(glm::vec3(0.0f), glm::vec3(nan)), origin, contact));
}

TEST(AABBShape, ParsesSizeByAbsoluteValueAndIgnoresRotation)
{
    AABB box;
    auto data = Testing::ParseXml(R"(<Physics shape="AABB" size="-2;4;6"/>)");
    ASSERT_TRUE(box.Parse(data.get()));
    EXPECT_EQ(box.GetHalfSize(), glm::vec3(1.0f, 2.0f, 3.0f));
    box.Update(glm::vec3(1.0f, 0.0f, 0.0f),
               WorldMatrix(glm::vec3(1.0f, 0.0f, 0.0f), glm::angleAxis(0.7f, glm::vec3(0, 0, 1))));
    EXPECT_EQ(box.GetMin(), glm::vec3(0.0f, -2.0f, -3.0f));
    EXPECT_EQ(box.GetMax(), glm::vec3(2.0f, 2.0f, 3.0f));
    RecordingDrawer drawer;
    box.DebugDraw(drawer, glm::vec4(1.0f));
    EXPECT_EQ(drawer.boxCentre, glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(drawer.boxSize, glm::vec3(2.0f, 4.0f, 6.0f));

    auto saved = Testing::ParseXml("<Physics/>");
    ASSERT_TRUE(box.Save(saved.get()));
    AABB reloaded;
    ASSERT_TRUE(reloaded.Parse(saved.get()));
    EXPECT_EQ(reloaded.GetHalfSize(), box.GetHalfSize());
}

TEST(AABBShape, RefusesAMissingSize)
{
    Testing::LogCapture log;
    AABB box;
    auto data = Testing::ParseXml(R"(<Physics shape="AABB"/>)");
    EXPECT_FALSE(box.Parse(data.get()));
    EXPECT_TRUE(log.Contains("An AABB must be given a size"));
    EXPECT_TRUE(log.Contains("AABB shape"));
}

TEST(MixedShapes, BoxesAndPolyhedraNeverCollide)
{
    ConvexPolyhedra convex;
    BuildShape(convex, CubeMesh());
    convex.Update(glm::vec3(0.0f), glm::mat4(1.0f));
    const AABB box = Box(glm::vec3(0.0f), glm::vec3(2.0f));
    Contact contact;
    EXPECT_FALSE(box.CollideConvex(&convex, &contact, nullptr));
    EXPECT_FALSE(convex.CollideAABB(&box, &contact));
    EXPECT_FALSE(box.IntersectsConvex(&convex));
    EXPECT_FALSE(convex.IntersectsAABB(&box));
    EXPECT_FALSE(convex.IntersectsConvex(&convex));
}

TEST(ConvexBuild, CubeMergesToEightVerticesThreeFaceDirectionsAndEighteenEdges)
{
    ConvexPolyhedra cube;
    BuildShape(cube, CubeMesh());
    EXPECT_EQ(cube.GetLocalVertices().size(), 8u);
    EXPECT_EQ(cube.GetLocalNormals().size(), 3u);
    // 12 sides and 6 face diagonals, each once.
    EXPECT_EQ(cube.GetEdges().size(), 18u);
    for (const glm::vec3& normal : cube.GetLocalNormals())
    {
        EXPECT_NEAR(glm::length(normal), 1.0f, 1e-6f);
    }
    RecordingDrawer drawer;
    cube.Update(glm::vec3(0.0f), glm::mat4(1.0f));
    cube.DebugDraw(drawer, glm::vec4(1.0f));
    EXPECT_EQ(drawer.lines, 18);
}

// Face normals are unit length, so a triangle with a 45 degree corner gives the same direction as a
// right-angled one and both count as one face.
TEST(ConvexBuild, ParallelFacesMergeWhateverTheirCornerAngles)
{
    ConvexPolyhedra shape;
    shape.Build({}, {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 1, 1, 0, 1, 2, 1, 1}, VertexLayout{});
    ASSERT_EQ(shape.GetLocalNormals().size(), 1u);
    EXPECT_NEAR(std::abs(shape.GetLocalNormals()[0].z), 1.0f, 1e-6f);
}

TEST(ConvexBuild, DegenerateAndPartialTrianglesAddNoNormal)
{
    ConvexPolyhedra shape;
    // A collinear triangle, a collapsed one, a real one and two left-over indices.
    shape.Build({0, 1, 2, 0, 0, 0, 0, 1, 3, 1, 2}, {0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 1, 0}, VertexLayout{});
    ASSERT_EQ(shape.GetLocalNormals().size(), 1u);
    for (const glm::vec3& normal : shape.GetLocalNormals())
    {
        EXPECT_TRUE(std::isfinite(normal.x) && std::isfinite(normal.y) && std::isfinite(normal.z));
    }
}

TEST(ConvexBuild, ReadsPositionsThroughTheLayout)
{
    // Position, then a two-float texture coordinate, after one float of padding.
    std::vector<float> data = {9.0f};
    const Testing::TestMesh cube = CubeMesh();
    for (std::size_t corner = 0; corner < 8; ++corner)
    {
        data.insert(data.end(), {cube.positions[3 * corner], cube.positions[3 * corner + 1],
                                 cube.positions[3 * corner + 2], 0.5f, 0.5f});
    }
    ConvexPolyhedra shape;
    ASSERT_TRUE(shape.Build(cube.indices, data, VertexLayout{1, 5}));
    EXPECT_EQ(shape.GetLocalVertices().size(), 8u);
    for (const glm::vec3& vertex : shape.GetLocalVertices())
    {
        EXPECT_EQ(glm::abs(vertex), glm::vec3(1.0f));
    }
}

TEST(ConvexBuild, BadMeshDataLeavesAnEmptyShapeWithAWarning)
{
    {
        Testing::LogCapture log;
        ConvexPolyhedra shape;
        EXPECT_FALSE(shape.Build({0, 1, 7}, {0, 0, 0, 1, 0, 0, 0, 1, 0}, VertexLayout{}));
        EXPECT_TRUE(shape.GetLocalVertices().empty());
        EXPECT_TRUE(log.Contains("Index 7 is beyond the mesh's 3 vertices"));
    }
    {
        Testing::LogCapture log;
        ConvexPolyhedra shape;
        EXPECT_TRUE(shape.Build({}, {}, VertexLayout{}));
        EXPECT_TRUE(log.Contains("No vertices to compute edges"));
        EXPECT_TRUE(log.Contains("No edges to compute normals"));
        EXPECT_TRUE(log.Contains("ConvexPolyhedra shape"));
        shape.Update(glm::vec3(0.0f), glm::mat4(1.0f));
        ConvexPolyhedra cube;
        BuildShape(cube, CubeMesh());
        cube.Update(glm::vec3(0.0f), glm::mat4(1.0f));
        Contact contact;
        EXPECT_FALSE(shape.CollideConvex(&cube, &contact, nullptr));
        EXPECT_FALSE(cube.CollideConvex(&shape, &contact, nullptr));
    }
    {
        Testing::LogCapture log;
        ConvexPolyhedra shape;
        EXPECT_FALSE(shape.Build({}, {0, 0, 0, 1, 0, 0, 2, 0, 0}, VertexLayout{}));
        EXPECT_TRUE(shape.GetLocalVertices().empty());
        EXPECT_TRUE(log.Contains("No face of the mesh spans a plane"));
    }
    {
        Testing::LogCapture log;
        ConvexPolyhedra shape;
        EXPECT_FALSE(shape.Build({}, {0, 0, 0, 1, 0, 0}, VertexLayout{0, 2}));
        EXPECT_TRUE(log.Contains("cannot hold a position"));
    }
}

TEST(ConvexBuild, ParsesAndSavesTheReferenceMesh)
{
    ConvexPolyhedra shape;
    auto data = Testing::ParseXml(R"(<Physics shape="ConvexPolyhedra" referenceMesh="Cube"/>)");
    ASSERT_TRUE(shape.Parse(data.get()));
    EXPECT_EQ(shape.GetReferenceMesh(), "Cube");
    auto saved = Testing::ParseXml("<Physics/>");
    ASSERT_TRUE(shape.Save(saved.get()));
    EXPECT_EQ(saved->GetAttribute("shape", ""), "ConvexPolyhedra");
    EXPECT_EQ(saved->GetAttribute("referenceMesh", ""), "Cube");
}

ConvexPolyhedra Placed(const Testing::TestMesh& mesh, const glm::mat4& world)
{
    ConvexPolyhedra shape;
    BuildShape(shape, mesh);
    shape.Update(glm::vec3(world[3]), world);
    return shape;
}

// Oriented by the depth's sign (as the body does), the normal must point from the first shape to the other.
glm::vec3 TowardOther(const Contact& contact)
{
    return contact.correction * (contact.depth < 0.0f ? -1.0f : 1.0f);
}

TEST(ConvexCollision, CubesOverlappingOnEachAxisAndSide)
{
    for (int axis = 0; axis < 3; ++axis)
    {
        for (const float side : {1.0f, -1.0f})
        {
            glm::vec3 offset(0.0f);
            offset[axis] = 1.2f * side;
            const ConvexPolyhedra a = Placed(CubeMesh(), glm::mat4(1.0f));
            const ConvexPolyhedra b = Placed(CubeMesh(), WorldMatrix(offset));
            Contact contact;
            ASSERT_TRUE(a.CollideConvex(&b, &contact, nullptr));
            EXPECT_NEAR(std::abs(contact.depth), 0.8f, 1e-6f);
            glm::vec3 expected(0.0f);
            expected[axis] = side;
            EXPECT_NEAR(glm::distance(TowardOther(contact), expected), 0.0f, 1e-6f);
        }
    }
}

TEST(ConvexCollision, RotatedCubeDepthIsInWorldUnits)
{
    // A cube turned 45 degrees about z reaches sqrt(2) along x; at 2.3 it overlaps by sqrt(2) + 1 - 2.3.
    const ConvexPolyhedra a = Placed(CubeMesh(), glm::mat4(1.0f));
    const ConvexPolyhedra b = Placed(
        CubeMesh(), WorldMatrix(glm::vec3(2.3f, 0, 0), glm::angleAxis(0.78539816f, glm::vec3(0, 0, 1))));
    Contact contact;
    ASSERT_TRUE(a.CollideConvex(&b, &contact, nullptr));
    EXPECT_NEAR(std::abs(contact.depth), std::sqrt(2.0f) + 1.0f - 2.3f, 1e-5f);
    EXPECT_NEAR(TowardOther(contact).x, 1.0f, 1e-5f);
}

TEST(ConvexCollision, EdgeOnEdgeUsesTheCrossAxis)
{
    // Two cubes turned so that an edge of each meets the other's edge head on, crossing at right angles.
    const glm::quat aboutZ = glm::angleAxis(0.78539816f, glm::vec3(0, 0, 1));
    const glm::quat aboutX = glm::angleAxis(0.78539816f, glm::vec3(1, 0, 0));
    const ConvexPolyhedra a = Placed(CubeMesh(), WorldMatrix(glm::vec3(0.0f), aboutZ));
    const ConvexPolyhedra b = Placed(CubeMesh(), WorldMatrix(glm::vec3(0.0f, 2.7f, 0.0f), aboutX));
    Contact contact;
    ASSERT_TRUE(a.CollideConvex(&b, &contact, nullptr));
    EXPECT_NEAR(std::abs(contact.depth), 2.0f * std::sqrt(2.0f) - 2.7f, 1e-5f);
    EXPECT_NEAR(TowardOther(contact).y, 1.0f, 1e-5f);
    const ConvexPolyhedra apart = Placed(CubeMesh(), WorldMatrix(glm::vec3(0.0f, 2.9f, 0.0f), aboutX));
    EXPECT_FALSE(a.CollideConvex(&apart, &contact, nullptr));
}

TEST(ConvexCollision, SeparatedTetrahedraFoundByAnEdgeAxis)
{
    // Face normals of both overlap; only the cross of the two facing edges separates them.
    const ConvexPolyhedra a = Placed(Testing::TetrahedronMesh(), glm::mat4(1.0f));
    const ConvexPolyhedra b = Placed(Testing::TetrahedronMesh(), WorldMatrix(glm::vec3(0.0f, 0.0f, 2.05f)));
    Contact contact;
    EXPECT_FALSE(a.CollideConvex(&b, &contact, nullptr));
    EXPECT_FALSE(b.CollideConvex(&a, &contact, nullptr));
    const ConvexPolyhedra touching =
        Placed(Testing::TetrahedronMesh(), WorldMatrix(glm::vec3(0.0f, 0.0f, 1.9f)));
    ASSERT_TRUE(a.CollideConvex(&touching, &contact, nullptr));
    EXPECT_NEAR(std::abs(contact.depth), 0.1f, 1e-5f);
    EXPECT_NEAR(TowardOther(contact).z, 1.0f, 1e-5f);
}

TEST(ConvexCollision, NonUniformScaleKeepsFacesFlat)
{
    // Sheared by rotation after scaling, a face normal taken through the matrix itself tilts off the face.
    const glm::mat4 world =
        WorldMatrix(glm::vec3(0.0f), glm::angleAxis(0.5f, glm::vec3(0, 0, 1)), glm::vec3(4.0f, 0.25f, 1.0f));
    const ConvexPolyhedra shape = Placed(Testing::PrismMesh(), world);
    for (const glm::vec3& normal : shape.GetWorldNormals())
    {
        float minimum = std::numeric_limits<float>::max();
        float maximum = -minimum;
        for (const glm::vec3& vertex : shape.GetWorldVertices())
        {
            minimum = std::min(minimum, glm::dot(vertex, normal));
            maximum = std::max(maximum, glm::dot(vertex, normal));
        }
        int onFace = 0;
        for (const glm::vec3& vertex : shape.GetWorldVertices())
        {
            const float projection = glm::dot(vertex, normal);
            onFace +=
                std::abs(projection - minimum) < 1e-5f || std::abs(projection - maximum) < 1e-5f ? 1 : 0;
        }
        EXPECT_GE(onFace, 3) << "normal leaves every face";
    }
}

TEST(ConvexCollision, ContactPointAndSupportMarkers)
{
    // A cube corner pushed into a face: the corner is the only support vertex on its side.
    const ConvexPolyhedra a = Placed(CubeMesh(), glm::mat4(1.0f));
    const glm::quat corner = glm::rotation(glm::normalize(glm::vec3(-1, -1, -1)), glm::vec3(-1, 0, 0));
    const ConvexPolyhedra b =
        Placed(CubeMesh(), WorldMatrix(glm::vec3(1.0f + std::sqrt(3.0f) - 0.1f, 0, 0), corner));
    Contact contact;
    RecordingDrawer drawer;
    ASSERT_TRUE(a.CollideConvex(&b, &contact, &drawer));
    EXPECT_NEAR(contact.point.x, 0.9f, 1e-4f);
    EXPECT_NEAR(contact.point.y, 0.0f, 1e-4f);
    EXPECT_NEAR(std::abs(contact.depth), 0.1f, 1e-4f);
    EXPECT_GE(drawer.spheres, 2);
    EXPECT_EQ(drawer.sphereRadius, 0.05f);
}

TEST(ConvexCollision, NaNTransformGivesNoContact)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const ConvexPolyhedra a = Placed(CubeMesh(), glm::mat4(1.0f));
    const ConvexPolyhedra b = Placed(CubeMesh(), WorldMatrix(glm::vec3(nan, 0, 0)));
    Contact contact;
    EXPECT_FALSE(a.CollideConvex(&b, &contact, nullptr));
    EXPECT_FALSE(b.CollideConvex(&a, &contact, nullptr));
    glm::vec3 min;
    glm::vec3 max;
    EXPECT_FALSE(b.GetWorldBounds(min, max));
}
} // namespace
} // namespace Morvane::Physics
