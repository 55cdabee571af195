#include "Component/ComponentRegistry.h"
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

// A component of a kind that no system owns.
struct ForeignComponent : Game::Component
{
    using Game::Component::Component;
    bool Save(IParserData*) override { return true; }
    void Clone(Game::Component*) override {}
};

class ObjectTest : public testing::Test
{
protected:
    void SetUp() override { ProbeComponent::Register(); }
};

TEST_F(ObjectTest, EmptyDescriptionParsesToAnEmptyObject)
{
    Object object("crate");
    const auto element = Testing::ParseXml("<Object/>");
    EXPECT_TRUE(object.Parse(element.get()));
    EXPECT_TRUE(object.GetComponents().empty());
    EXPECT_EQ(object.GetComponent<TransformComponent>(), nullptr);
}

TEST_F(ObjectTest, ParsingWithoutDataIsAnAssertion)
{
    Object object("crate");
    EXPECT_THROW(object.Parse(nullptr), std::runtime_error);
}

TEST_F(ObjectTest, ComponentsFollowElementOrderAndGetComponentFindsTheFirst)
{
    Object object("crate");
    const auto element = Testing::ParseXml(
        R"(<Object><Probe/><Transform id="first"/><Transform id="second"/><Probe id="p"/></Object>)");
    ASSERT_TRUE(object.Parse(element.get()));
    ASSERT_EQ(object.GetComponents().size(), 4u);
    EXPECT_EQ(object.GetComponent<TransformComponent>()->GetId(), "first");
    EXPECT_EQ(object.GetComponent<ProbeComponent>(), object.GetComponents()[0]);
    EXPECT_EQ(object.GetComponent<Game::Component>(), object.GetComponents()[0]);

    object.Release();
    EXPECT_TRUE(object.GetComponents().empty());
    EXPECT_EQ(ProbeComponent::deleted, 2);
    // Released twice (here and by the destructor) hands nothing back twice.
    object.Release();
    EXPECT_EQ(ProbeComponent::deleted, 2);
}

TEST_F(ObjectTest, UnknownElementsAreSkippedWithAWarning)
{
    Object object("crate");
    const auto element = Testing::ParseXml(R"(<Object><Wobble/><Transform/><transform/></Object>)");
    Testing::LogCapture log;
    EXPECT_TRUE(object.Parse(element.get()));
    EXPECT_TRUE(log.Contains("Object 'crate'"));
    EXPECT_TRUE(log.Contains("Unknown parser element 'Wobble'"));
    EXPECT_TRUE(log.Contains("Unknown parser element 'transform'"));
    EXPECT_EQ(object.GetComponents().size(), 1u);
}

TEST_F(ObjectTest, KindWithoutItsSystemCreatesNothingAndStopsTheParse)
{
    Object object("crate");
    const auto element = Testing::ParseXml(R"(<Object><Transform/><Physics/><Transform/></Object>)");
    Testing::LogCapture log;
    EXPECT_FALSE(object.Parse(element.get()));
    EXPECT_TRUE(log.Contains("Could not create component 'Physics'"));
    // What was created before the failure stays.
    EXPECT_EQ(object.GetComponents().size(), 1u);
}

TEST_F(ObjectTest, ComponentThatFailsToParseGoesBackToItsSystem)
{
    Object object("crate");
    const auto element = Testing::ParseXml(R"(<Object><Probe/><Probe parses="false"/><Probe/></Object>)");
    Testing::LogCapture log;
    EXPECT_FALSE(object.Parse(element.get()));
    EXPECT_TRUE(log.Contains("Could not create probe component"));
    EXPECT_EQ(ProbeComponent::deleted, 1);
    EXPECT_EQ(object.GetComponents().size(), 1u);
}

TEST_F(ObjectTest, SaveWritesTheNameAndEveryComponentAndStopsAtAFailure)
{
    Object object("crate");
    const auto element = Testing::ParseXml(R"(<Object><Transform/><Probe id="a"/></Object>)");
    ASSERT_TRUE(object.Parse(element.get()));
    XMLParserData parent("Objects");
    ASSERT_TRUE(object.Save(&parent));
    const IParserData* saved = parent.GetFirstChild();
    EXPECT_EQ(saved->GetName(), "Object");
    EXPECT_EQ(saved->GetAttribute("name", ""), "crate");
    ASSERT_NE(saved->GetFirstChild(), nullptr);
    EXPECT_EQ(saved->GetFirstChild()->GetName(), "Transform");
    EXPECT_EQ(saved->GetFirstChild()->GetNextSibling()->GetAttribute("id", ""), "a");

    Object broken("broken");
    const auto brokenElement = Testing::ParseXml(R"(<Object><Probe saves="false"/><Transform/></Object>)");
    ASSERT_TRUE(broken.Parse(brokenElement.get()));
    Testing::LogCapture log;
    EXPECT_FALSE(broken.Save(&parent));
    EXPECT_TRUE(log.Contains("Component 'Morvane::Testing::ProbeComponent' could not save properly"));
}

TEST_F(ObjectTest, InitializeGoesOnAfterAFailure)
{
    Object object("crate");
    const auto element =
        Testing::ParseXml(R"(<Object><Probe initializes="false"/><Transform/><Probe/></Object>)");
    ASSERT_TRUE(object.Parse(element.get()));
    Testing::LogCapture log;
    EXPECT_FALSE(object.Initialize());
    EXPECT_EQ(ProbeComponent::initialized, 2);
    EXPECT_TRUE(log.Contains("Could not initialize component 'Morvane::Testing::ProbeComponent'"));
}

TEST_F(ObjectTest, ForeignComponentIsLoggedLeftAliveAndTheListStillEmptied)
{
    Object object("crate");
    ForeignComponent foreign(&object);
    object.AddComponent(new TransformComponent(&object));
    object.AddComponent(&foreign);
    Testing::LogCapture log;
    object.Release();
    EXPECT_TRUE(log.Contains(
        "Not controlled component deletion of 'Morvane::(anonymous namespace)::ForeignComponent'"));
    EXPECT_TRUE(object.GetComponents().empty());
    EXPECT_EQ(foreign.GetParentObject(), &object);
}

TEST(ComponentRegistry, KnowsTheComponentKindsBeforeTheirSystemsRegister)
{
    const Game::ComponentRegistry& registry = Game::ComponentRegistry::GetInstance();
    for (const char* name : {"Graphics", "Physics", "Audio"})
    {
        const Game::ComponentRegistry::Kind* kind = registry.FindByElement(name);
        ASSERT_NE(kind, nullptr) << name;
        EXPECT_EQ(kind->create, nullptr);
    }
    EXPECT_EQ(registry.FindByElement("Transform"), nullptr);
    EXPECT_EQ(registry.FindByElement("graphics"), nullptr);
}
} // namespace
} // namespace Morvane
