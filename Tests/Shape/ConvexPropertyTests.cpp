#include "Shape/AABB.h"
#include "Shape/ConvexPolyhedra.h"
#include "TestMeshes.h"

#include <array>
#include <cmath>
#include <glm/gtc/quaternion.hpp>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace Morvane::Physics
{
namespace
{
// A plane of the Minkowski difference's hull: outward unit normal and offset from the origin.
struct Facet
{
    glm::dvec3 normal;
    double offset;
};

// Every supporting plane through three points of the difference A - B, by brute force.
std::vector<Facet> MinkowskiFacets(const std::vector<glm::vec3>& a, const std::vector<glm::vec3>& b)
{
    std::vector<glm::dvec3> points;
    for (const glm::vec3& p : a)
    {
        for (const glm::vec3& q : b)
        {
            points.push_back(glm::dvec3(p) - glm::dvec3(q));
        }
    }
    std::vector<Facet> facets;
    for (std::size_t i = 0; i < points.size(); ++i)
    {
        for (std::size_t j = i + 1; j < points.size(); ++j)
        {
            for (std::size_t k = j + 1; k < points.size(); ++k)
            {
                glm::dvec3 normal = glm::cross(points[j] - points[i], points[k] - points[i]);
                const double length = glm::length(normal);
                if (length < 1e-6)
                {
                    continue;
                }
                normal /= length;
                const double offset = glm::dot(normal, points[i]);
                bool below = true;
                bool above = true;
                for (const glm::dvec3& point : points)
                {
                    const double side = glm::dot(normal, point) - offset;
                    below = below && side <= 1e-7;
                    above = above && side >= -1e-7;
                }
                if (below)
                {
                    facets.push_back({normal, offset});
                }
                else if (above)
                {
                    facets.push_back({-normal, -offset});
                }
            }
        }
    }
    return facets;
}

glm::vec3 TowardOther(const Contact& contact)
{
    return contact.correction * (contact.depth < 0.0f ? -1.0f : 1.0f);
}

class ShapeProperties : public testing::Test
{
protected:
    float Uniform(float low, float high)
    {
        return std::uniform_real_distribution<float>(low, high)(m_random);
    }
    glm::quat Rotation()
    {
        std::normal_distribution<float> normal;
        return glm::normalize(
            glm::quat(normal(m_random), normal(m_random), normal(m_random), normal(m_random)));
    }
    glm::vec3 Scale() { return glm::vec3(Uniform(0.5f, 2.0f), Uniform(0.5f, 2.0f), Uniform(0.5f, 2.0f)); }

    ConvexPolyhedra RandomShape(const glm::vec3& position)
    {
        const std::array<Testing::TestMesh, 3> meshes = {Testing::CubeMesh(), Testing::TetrahedronMesh(),
                                                         Testing::PrismMesh()};
        ConvexPolyhedra shape;
        Testing::BuildShape(shape, meshes[std::uniform_int_distribution<int>(0, 2)(m_random)]);
        const glm::mat4 world = Testing::WorldMatrix(position, Rotation(), Scale());
        shape.Update(position, world);
        return shape;
    }

    std::mt19937 m_random{20261206};
};

TEST_F(ShapeProperties, ConvexContactMatchesTheMinkowskiDifference)
{
    int overlapping = 0;
    int separated = 0;
    for (int trial = 0; trial < 150; ++trial)
    {
        const ConvexPolyhedra a = RandomShape(glm::vec3(0.0f));
        const ConvexPolyhedra b =
            RandomShape(glm::vec3(Uniform(-2.5f, 2.5f), Uniform(-2.5f, 2.5f), Uniform(-2.5f, 2.5f)));
        const std::vector<Facet> facets = MinkowskiFacets(a.GetWorldVertices(), b.GetWorldVertices());
        ASSERT_FALSE(facets.empty());
        double nearest = facets.front().offset;
        for (const Facet& facet : facets)
        {
            nearest = std::min(nearest, facet.offset);
        }
        // The origin within float noise of the hull's surface: either answer is right.
        if (std::abs(nearest) < 1e-3)
        {
            continue;
        }
        Contact contact;
        const bool collided = a.CollideConvex(&b, &contact, nullptr);
        ASSERT_EQ(collided, nearest > 0.0) << "trial " << trial << " nearest facet " << nearest;
        if (!collided)
        {
            ++separated;
            continue;
        }
        ++overlapping;
        EXPECT_NEAR(std::abs(contact.depth), nearest, 1e-4) << "trial " << trial;
        const glm::dvec3 normal(TowardOther(contact));
        EXPECT_NEAR(glm::length(normal), 1.0, 1e-5);
        bool alongNearestFacet = false;
        for (const Facet& facet : facets)
        {
            alongNearestFacet = alongNearestFacet || (std::abs(facet.offset - nearest) < 1e-4 &&
                                                      glm::dot(facet.normal, normal) > 0.9999);
        }
        EXPECT_TRUE(alongNearestFacet) << "trial " << trial;
    }
    // The seed gives both outcomes plenty of times.
    EXPECT_GT(overlapping, 30);
    EXPECT_GT(separated, 30);
}

TEST_F(ShapeProperties, ConvexShapesMovedByTheirContactJustTouch)
{
    int moved = 0;
    for (int trial = 0; trial < 200; ++trial)
    {
        const ConvexPolyhedra a = RandomShape(glm::vec3(0.0f));
        const ConvexPolyhedra b =
            RandomShape(glm::vec3(Uniform(-1.5f, 1.5f), Uniform(-1.5f, 1.5f), Uniform(-1.5f, 1.5f)));
        Contact contact;
        if (!a.CollideConvex(&b, &contact, nullptr))
        {
            continue;
        }
        ++moved;
        const glm::vec3 push = TowardOther(contact) * -std::abs(contact.depth);
        std::vector<glm::vec3> vertices = a.GetWorldVertices();
        for (glm::vec3& vertex : vertices)
        {
            vertex += push;
        }
        // Moved out along the contact, the origin lies on the difference's surface.
        const std::vector<Facet> facets = MinkowskiFacets(vertices, b.GetWorldVertices());
        double nearest = facets.front().offset;
        for (const Facet& facet : facets)
        {
            nearest = std::min(nearest, facet.offset);
        }
        EXPECT_NEAR(nearest, 0.0, 1e-4) << "trial " << trial;
    }
    EXPECT_GT(moved, 50);
}

TEST_F(ShapeProperties, BoxContactAgreesWithThePlainOverlapAndMovesApartToTouching)
{
    for (int trial = 0; trial < 2000; ++trial)
    {
        AABB a;
        AABB b;
        a.SetHalfSize(glm::vec3(Uniform(0.1f, 3.0f), Uniform(0.1f, 3.0f), Uniform(0.1f, 3.0f)));
        b.SetHalfSize(glm::vec3(Uniform(0.1f, 3.0f), Uniform(0.1f, 3.0f), Uniform(0.1f, 3.0f)));
        const glm::vec3 aCentre(Uniform(-4.0f, 4.0f), Uniform(-4.0f, 4.0f), Uniform(-4.0f, 4.0f));
        const glm::vec3 bCentre(Uniform(-4.0f, 4.0f), Uniform(-4.0f, 4.0f), Uniform(-4.0f, 4.0f));
        a.Update(aCentre, glm::mat4(1.0f));
        b.Update(bCentre, glm::mat4(1.0f));
        float leastOverlap = 1e30f;
        bool overlap = true;
        for (int axis = 0; axis < 3; ++axis)
        {
            const float extent =
                std::min(a.GetMax()[axis], b.GetMax()[axis]) - std::max(a.GetMin()[axis], b.GetMin()[axis]);
            overlap = overlap && extent >= 0.0f;
            // Pushing either way along the axis; the shorter way out.
            const float out =
                std::min(a.GetMax()[axis] - b.GetMin()[axis], b.GetMax()[axis] - a.GetMin()[axis]);
            leastOverlap = std::min(leastOverlap, out);
        }
        Contact contact;
        ASSERT_EQ(a.CollideAABB(&b, &contact), overlap) << trial;
        if (!overlap)
        {
            continue;
        }
        EXPECT_NEAR(std::abs(contact.depth), leastOverlap, 1e-5f) << trial;
        a.Update(aCentre + TowardOther(contact) * -std::abs(contact.depth), glm::mat4(1.0f));
        // Rounding may leave them a hair apart or a hair inside, never more.
        for (int axis = 0; axis < 3; ++axis)
        {
            EXPECT_GE(std::min(a.GetMax()[axis], b.GetMax()[axis]) -
                          std::max(a.GetMin()[axis], b.GetMin()[axis]),
                      -1e-5f)
                << trial;
        }
        bool touching = false;
        for (int axis = 0; axis < 3; ++axis)
        {
            touching = touching || std::abs(a.GetMax()[axis] - b.GetMin()[axis]) < 1e-5f ||
                       std::abs(b.GetMax()[axis] - a.GetMin()[axis]) < 1e-5f;
        }
        EXPECT_TRUE(touching) << trial;
    }
}
} // namespace
} // namespace Morvane::Physics
