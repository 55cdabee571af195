#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

namespace Morvane
{
namespace
{
using Game::TransformComponent;

void ExpectNear(const glm::vec3& actual, const glm::vec3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

TEST(TransformComponent, DefaultsAreIdentity)
{
    Game::Object object("crate");
    TransformComponent transform(&object);
    const auto element = Testing::ParseXml("<Transform/>");
    ASSERT_TRUE(transform.Parse(element.get()));
    ExpectNear(transform.GetPosition(), {0, 0, 0});
    ExpectNear(transform.GetScale(), {1, 1, 1});
    EXPECT_EQ(transform.GetRotation(), glm::quat(1, 0, 0, 0));
    EXPECT_EQ(transform.GetWorldMatrix(), glm::mat4(1.0f));
}

TEST(TransformComponent, RotationAxisIsNotNormalised)
{
    Game::Object object("crate");
    TransformComponent transform(&object);
    const auto element =
        Testing::ParseXml(R"(<Transform rotationAxis="0;2;0" rotationDegrees="90" id="t"/>)");
    ASSERT_TRUE(transform.Parse(element.get()));
    const glm::quat rotation = transform.GetRotation();
    EXPECT_NEAR(glm::length(glm::vec3(rotation.x, rotation.y, rotation.z)),
                2.0f * std::sin(glm::radians(45.0f)), 1e-5f);
    EXPECT_NEAR(rotation.w, std::cos(glm::radians(45.0f)), 1e-5f);
    EXPECT_EQ(transform.GetId(), "t");
}

TEST(TransformComponent, SaveParseRoundTripKeepsEveryValue)
{
    Game::Object object("crate");
    TransformComponent original(&object);
    const auto element = Testing::ParseXml(
        R"(<Transform position="1;2;3" scale="2;2;0.5" rotationAxis="0;1;0" rotationDegrees="30"/>)");
    ASSERT_TRUE(original.Parse(element.get()));

    XMLParserData parent("Object");
    ASSERT_TRUE(original.Save(&parent));
    const IParserData* saved = parent.GetFirstChild();
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->GetName(), "Transform");
    EXPECT_EQ(saved->GetAttribute("position", ""), "1.000000 ;2.000000 ;3.000000 ;");
    EXPECT_NEAR(saved->GetAttributeFloat("rotationDegrees", 0), 30.0f, 1e-3f);

    TransformComponent copy(&object);
    ASSERT_TRUE(copy.Parse(saved));
    ExpectNear(copy.GetPosition(), original.GetPosition());
    ExpectNear(copy.GetScale(), original.GetScale());
    EXPECT_NEAR(glm::dot(copy.GetRotation(), original.GetRotation()), 1.0f, 1e-5f);
}

TEST(TransformComponent, IdentityRotationSavesAxisZAndZeroDegrees)
{
    Game::Object object("crate");
    TransformComponent transform(&object);
    XMLParserData parent("Object");
    ASSERT_TRUE(transform.Save(&parent));
    const IParserData* saved = parent.GetFirstChild();
    EXPECT_EQ(saved->GetAttribute("rotationAxis", ""), "0.000000 ;0.000000 ;1.000000 ;");
    EXPECT_EQ(saved->GetAttributeFloat("rotationDegrees", -1.0f), 0.0f);
    EXPECT_EQ(saved->GetAttribute("scale", ""), "1.000000 ;1.000000 ;1.000000 ;");
}

TEST(TransformComponent, WorldMatrixIsTranslateRotateScaleAndRebuiltOnlyWhenDirty)
{
    Game::Object object("crate");
    TransformComponent transform(&object);
    transform.SetPosition({1, 2, 3});
    transform.SetScale({2, 3, 4});
    transform.SetRotation(90.0f, {0, 0, 1});
    EXPECT_TRUE(transform.IsDirty());

    const glm::mat4 expected = glm::translate(glm::mat4(1), glm::vec3(1, 2, 3)) *
                               glm::rotate(glm::mat4(1), glm::radians(90.0f), glm::vec3(0, 0, 1)) *
                               glm::scale(glm::mat4(1), glm::vec3(2, 3, 4));
    const glm::mat4& first = transform.GetWorldMatrix();
    EXPECT_FALSE(transform.IsDirty());
    for (int column = 0; column < 4; ++column)
    {
        for (int row = 0; row < 4; ++row)
        {
            EXPECT_NEAR(first[column][row], expected[column][row], 1e-5f);
        }
    }
    // The point (1, 0, 0) is scaled to 2, turned onto y and moved by the position.
    const glm::vec4 point = first * glm::vec4(1, 0, 0, 1);
    ExpectNear(glm::vec3(point), {1, 4, 3});

    const glm::mat4 cached = transform.GetWorldMatrix();
    EXPECT_FALSE(transform.IsDirty());
    EXPECT_EQ(&transform.GetWorldMatrix(), &first);
    EXPECT_EQ(cached, first);

    transform.SetPosition({0, 0, 0});
    EXPECT_TRUE(transform.IsDirty());
    EXPECT_NEAR(transform.GetWorldMatrix()[3][0], 0.0f, 1e-6f);
    EXPECT_FALSE(transform.IsDirty());
}

TEST(TransformComponent, YawPitchRollRotation)
{
    Game::Object object("crate");
    TransformComponent transform(&object);
    transform.SetRotation(glm::vec3(0, glm::radians(90.0f), 0));
    // A quarter yaw turns the x axis onto -z.
    ExpectNear(transform.GetRotation() * glm::vec3(1, 0, 0), {0, 0, -1});
    EXPECT_TRUE(transform.IsDirty());
}

TEST(TransformComponent, CloneCopiesIntoATransformAndRefusesOtherKinds)
{
    Game::Object object("crate");
    TransformComponent source(&object);
    source.SetPosition({4, 5, 6});
    TransformComponent destination(&object);
    destination.GetWorldMatrix();
    source.Clone(&destination);
    ExpectNear(destination.GetPosition(), {4, 5, 6});
    EXPECT_TRUE(destination.IsDirty());

    struct Other : Game::Component
    {
        using Game::Component::Component;
        bool Save(IParserData*) override { return true; }
        void Clone(Game::Component*) override {}
    } other(&object);
    Testing::LogCapture log;
    source.Clone(&other);
    EXPECT_TRUE(log.Contains("crate/Transform"));
    EXPECT_TRUE(log.Contains("Tried to clone incorrect types"));
}

TEST(TransformComponent, OwnerNameWithoutOwnerIsAnAssertion)
{
    TransformComponent orphan(nullptr);
    try
    {
        orphan.GetOwnerName();
        FAIL() << "expected an assertion";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_NE(std::string(error.what()).find("Assertion failed: 'm_parentObject' was false."),
                  std::string::npos);
    }
}
} // namespace
} // namespace Morvane
