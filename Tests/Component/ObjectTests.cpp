#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "ProbeComponent.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"

#include <gtest/gtest.h>

namespace Morvane
{
namespace
{
using Game::Object;
using Game::TransformComponent;
using Testing::ProbeComponent;

class ObjectTest : public testing::Test
{
protected:
    void SetUp() override { ProbeComponent::Register(); }
};

// A component of a kind that no system owns.
struct ForeignComponent : Game::Component
{
    using Game::Component::Component;
    bool Save(IParserData*) override { return true; }
    void Clone(Game::Component*) override {}
};

TEST_F(ObjectTest, ComponentsFollowElementOrderAndAreFreedOnce)
{
    Object object("crate");
    ForeignComponent foreign(&object);
    const auto element = Testing::ParseXml(
        R"(<Object><Probe/><Transform id="first"/><Transform id="second"/><Probe id="p"/></Object>)");
    ASSERT_TRUE(object.Parse(element.get()));
    ASSERT_EQ(object.GetComponents().size(), 4u);
    const TransformComponent* transform = object.GetComponent<TransformComponent>();
    ASSERT_NE(transform, nullptr);
    EXPECT_EQ(transform->GetId(), "first");
    EXPECT_EQ(object.GetComponent<ProbeComponent>(), object.GetComponents()[0]);

    // A component that no system owns is left to its owner.
    object.AddComponent(&foreign);
    Testing::LogCapture log;
    object.Release();
    EXPECT_TRUE(log.Contains("Not controlled component deletion of"));
    EXPECT_TRUE(object.GetComponents().empty());
    EXPECT_EQ(ProbeComponent::deleted, 2);
    // Released twice (here and by the destructor) hands nothing back twice.
    object.Release();
    EXPECT_EQ(ProbeComponent::deleted, 2);
}

TEST_F(ObjectTest, BadComponentElements)
{
    struct Case
    {
        const char* xml;
        bool parses;
        const char* message;
        int deleted;
    };
    const Case cases[] = {
        {"<Object><Wobble/><Transform/><transform/></Object>", true, "Unknown parser element 'transform'", 0},
        // A kind whose system is not running creates nothing; what came before the failure stays.
        {"<Object><Transform/><Physics/><Transform/></Object>", false, "Could not create component 'Physics'",
         0},
        {R"(<Object><Probe/><Probe parses="false"/><Probe/></Object>)", false,
         "Could not create probe component", 1},
    };
    for (const Case& bad : cases)
    {
        ProbeComponent::deleted = 0;
        Object object("crate");
        const auto element = Testing::ParseXml(bad.xml);
        Testing::LogCapture log;
        EXPECT_EQ(object.Parse(element.get()), bad.parses) << bad.xml;
        EXPECT_TRUE(log.Contains(bad.message)) << bad.xml;
        EXPECT_TRUE(log.Contains("Object 'crate'")) << bad.xml;
        EXPECT_EQ(object.GetComponents().size(), 1u) << bad.xml;
        EXPECT_EQ(ProbeComponent::deleted, bad.deleted) << bad.xml;
    }
}

} // namespace
} // namespace Morvane
