#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Support/ParseXml.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

namespace Morvane
{
namespace
{
using Game::TransformComponent;

void ExpectNear(const glm::vec3& actual, const glm::vec3& expected)
{
    EXPECT_NEAR(glm::length(actual - expected), 0.0f, 1e-5f)
        << actual.x << ";" << actual.y << ";" << actual.z;
}

TEST(TransformComponent, SaveParseRoundTripAndIdentityRotationSavesAxisZAndZeroDegrees)
{
    Game::Object object("crate");
    TransformComponent identity(&object), original(&object), copy(&object);
    XMLParserData identityParent("Object"), parent("Object");
    ASSERT_TRUE(identity.Save(&identityParent));
    EXPECT_EQ(identityParent.GetFirstChild()->GetAttribute("rotationAxis", ""),
              "0.000000 ;0.000000 ;1.000000 ;");
    EXPECT_EQ(identityParent.GetFirstChild()->GetAttributeFloat("rotationDegrees", -1.0f), 0.0f);
    // Composed rotations drift just past unit length.
    XMLParserData driftedParent("Object");
    identity.SetRotation(glm::quat(1.0000002f, 0.0f, 0.0f, 0.0f));
    ASSERT_TRUE(identity.Save(&driftedParent));
    EXPECT_EQ(driftedParent.GetFirstChild()->GetAttributeFloat("rotationDegrees", -1.0f), 0.0f);

    ASSERT_TRUE(original.Parse(Testing::ParseXml(R"(<Transform position="1;2;3" scale="2;2;0.5"
        rotationAxis="0;1;0" rotationDegrees="30"/>)")
                                   .get()));
    ASSERT_TRUE(original.Save(&parent));
    const IParserData* saved = parent.GetFirstChild();
    EXPECT_EQ(saved->GetName(), "Transform");
    EXPECT_EQ(saved->GetAttribute("position", ""), "1.000000 ;2.000000 ;3.000000 ;");
    EXPECT_NEAR(saved->GetAttributeFloat("rotationDegrees", 0), 30.0f, 1e-3f);
    ASSERT_TRUE(copy.Parse(saved));
    ExpectNear(copy.GetPosition(), original.GetPosition());
    ExpectNear(copy.GetScale(), original.GetScale());
    EXPECT_NEAR(glm::dot(copy.GetRotation(), original.GetRotation()), 1.0f, 1e-5f);
}

TEST(TransformComponent, WorldMatrixIsTranslateRotateScaleAndRebuiltWhenDirty)
{
    Game::Object object("crate");
    TransformComponent transform(&object);
    transform.SetPosition({1, 2, 3});
    transform.SetScale({2, 3, 4});
    transform.SetRotation(90.0f, {0, 0, 1});
    EXPECT_TRUE(transform.IsDirty());
    // The point (1, 0, 0) is scaled to 2, turned onto y and moved by the position.
    ExpectNear(glm::vec3(transform.GetWorldMatrix() * glm::vec4(1, 0, 0, 1)), {1, 4, 3});
    EXPECT_FALSE(transform.IsDirty());

    transform.SetPosition({0, 0, 0});
    EXPECT_TRUE(transform.IsDirty());
    ExpectNear(glm::vec3(transform.GetWorldMatrix() * glm::vec4(1, 0, 0, 1)), {0, 2, 0});
    EXPECT_FALSE(transform.IsDirty());
}
} // namespace
} // namespace Morvane
