#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "ProbeComponent.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/PathWrapper/PathWrapper.h"

#include <gtest/gtest.h>

namespace Morvane
{
namespace
{
using Game::Object;
using Testing::ProbeComponent;

class GameSystemTest : public testing::Test
{
protected:
    void SetUp() override { ProbeComponent::Register(); }
    void TearDown() override { game.Release(); }

    std::vector<std::string> Create(std::initializer_list<const char*> names)
    {
        std::vector<std::string> created;
        for (const char* name : names)
        {
            created.push_back(game.CreateObject(std::string(name))->GetName());
        }
        return created;
    }

    Game::System& game = Game::System::GetInstance();
    Testing::TempDirectory folder;
};

TEST_F(GameSystemTest, RepeatedBaseNameAdvancesTheCounterTwice)
{
    EXPECT_EQ(Create({"box", "box", "box", "box"}),
              (std::vector<std::string>{"box", "box_002", "box_004", "box_006"}));
}

TEST_F(GameSystemTest, RequestedSuffixedNameIsSkippedLater)
{
    EXPECT_EQ(Create({"box_002", "box", "box"}), (std::vector<std::string>{"box_002", "box", "box_003"}));
}

TEST_F(GameSystemTest, UnnamedObjectsGetTheDefaultNameUniquely)
{
    const auto data = Testing::ParseXml("<GameSystem><Object/><Object/><Object/></GameSystem>");
    ASSERT_TRUE(game.Parse(data.get()));
    EXPECT_NE(game.GetObject("unnamed_object"), nullptr);
    EXPECT_NE(game.GetObject("unnamed_object_002"), nullptr);
    EXPECT_NE(game.GetObject("unnamed_object_004"), nullptr);
    EXPECT_EQ(game.GetObjectCount(), 3u);
}

TEST_F(GameSystemTest, RequestedNameOfAnExistingGeneratedObjectStaysUnique)
{
    EXPECT_EQ(Create({"box", "box", "box_002"}), (std::vector<std::string>{"box", "box_002", "box_002_001"}));
}

TEST_F(GameSystemTest, CounterSurvivesDeletion)
{
    Object* box = game.CreateObject(std::string("box"));
    game.MarkForDeletion(box);
    game.Update(0.016f);
    EXPECT_EQ(game.GetObject("box"), nullptr);
    EXPECT_EQ(game.CreateObject(std::string("box"))->GetName(), "box_002");
}

TEST_F(GameSystemTest, CreatedAndMarkedInOneFrameIsInitializedThenDestroyed)
{
    const auto element = Testing::ParseXml(R"(<Object name="crate"><Probe/></Object>)");
    Object* crate = game.CreateObject(element.get());
    game.MarkForDeletion(crate);
    game.MarkForDeletion(crate);
    EXPECT_EQ(game.GetObject("crate"), crate);
    EXPECT_EQ(ProbeComponent::initialized, 0);

    game.Update(0.016f);
    EXPECT_EQ(ProbeComponent::initialized, 1);
    EXPECT_EQ(ProbeComponent::deleted, 1);
    EXPECT_EQ(game.GetObject("crate"), nullptr);
    game.Update(0.016f);
    EXPECT_EQ(ProbeComponent::deleted, 1);
}

TEST_F(GameSystemTest, ObjectsCreatedDuringInitializationAreInitializedInTheSameUpdate)
{
    const auto element =
        Testing::ParseXml(R"(<Object name="spawner"><Probe spawn="first"/><Probe spawn="second"/></Object>)");
    game.CreateObject(element.get());
    ASSERT_TRUE(game.Initialize());
    // The spawner's two probes, then the probe of each spawned object.
    EXPECT_EQ(ProbeComponent::initialized, 4);
    EXPECT_NE(game.GetObject("first"), nullptr);
    EXPECT_NE(game.GetObject("second"), nullptr);
    game.Update(0.016f);
    EXPECT_EQ(ProbeComponent::initialized, 4);
}

TEST_F(GameSystemTest, ObjectThatFailsToInitializeIsDestroyedInTheSameUpdate)
{
    const auto element = Testing::ParseXml(R"(<Object name="bad"><Probe initializes="false"/></Object>)");
    game.CreateObject(element.get());
    Testing::LogCapture log;
    game.Update(0.016f);
    EXPECT_TRUE(log.Contains("Object 'bad' could not be initialized"));
    EXPECT_EQ(game.GetObject("bad"), nullptr);
    EXPECT_EQ(ProbeComponent::deleted, 1);
}

TEST_F(GameSystemTest, ObjectNotRegisteredIsNotDestroyed)
{
    Object stray("stray");
    game.MarkForDeletion(&stray);
    Testing::LogCapture log;
    game.Update(0.016f);
    EXPECT_TRUE(log.Contains("Tried to delete an unexistent object: 'stray'"));
}

TEST_F(GameSystemTest, ObjectWhoseComponentsFailStillExists)
{
    const auto data = Testing::ParseXml(
        R"(<GameSystem><Object name="half"><Transform/><Probe parses="false"/><Transform/></Object></GameSystem>)");
    Testing::LogCapture log;
    ASSERT_TRUE(game.Parse(data.get()));
    EXPECT_TRUE(log.Contains("Could not create probe component"));
    ASSERT_NE(game.GetObject("half"), nullptr);
    EXPECT_EQ(game.GetObject("half")->GetComponents().size(), 1u);
}

TEST_F(GameSystemTest, ArchetypesComeFromTheArchetypesFolder)
{
    folder.Write("Archetypes/Crate.xml",
                 R"(<Object><Transform position="1;2;3"/><Probe id="from-file"/></Object>)");
    PathWrapper::GetInstance().AddPath("TestData", folder.Path());
    const auto data = Testing::ParseXml(R"(<GameSystem>
        <Objects archetypesFolder="$(TestData)Archetypes">
            <Object name="crate" archetype="Crate.xml"><Transform position="9;9;9"/></Object>
            <Object name="crate" archetype="Crate.xml"/>
        </Objects>
        <Objects archetypesFolder="">
            <Section><Object archetype="Crate.xml"/></Section>
        </Objects>
        <Unknown/>
    </GameSystem>)");
    ASSERT_TRUE(game.Parse(data.get()));
    EXPECT_EQ(game.GetArchetypesFolder(), "$(TestData)Archetypes");
    for (const char* name : {"crate", "crate_002", "unnamed_object"})
    {
        Object* crate = game.GetObject(name);
        ASSERT_NE(crate, nullptr) << name;
        ASSERT_EQ(crate->GetComponents().size(), 2u);
        // Only the archetype is read: the element's own children are ignored.
        const auto* transform = crate->GetComponent<Game::TransformComponent>();
        const auto* probe = crate->GetComponent<ProbeComponent>();
        ASSERT_TRUE(transform != nullptr && probe != nullptr);
        EXPECT_EQ(transform->GetPosition(), glm::vec3(1, 2, 3));
        EXPECT_EQ(probe->GetId(), "from-file");
    }
    game.Update(0.016f);
    EXPECT_EQ(ProbeComponent::initialized, 3);
}

TEST_F(GameSystemTest, MissingArchetypeFailsTheParse)
{
    PathWrapper::GetInstance().AddPath("TestData", folder.Path());
    const auto data = Testing::ParseXml(
        R"~(<GameSystem><Objects archetypesFolder="$(TestData)"><Object archetype="Nope.xml"/></Objects></GameSystem>)~");
    Testing::LogCapture log;
    EXPECT_FALSE(game.Parse(data.get()));
    EXPECT_TRUE(log.Contains("Could not open template 'Nope.xml'"));
    EXPECT_TRUE(log.Contains("Could not create object"));
    EXPECT_TRUE(log.Contains("Could not parse objects: 'Objects'"));
    EXPECT_EQ(game.GetObjectCount(), 0u);
}

TEST_F(GameSystemTest, ArchetypeThatIsNotXmlOrFailsToParse)
{
    folder.Write("Broken.xml", "<Object><Transform></Object>");
    folder.Write("Failing.xml", R"(<Object><Probe/><Probe parses="false"/></Object>)");
    PathWrapper::GetInstance().AddPath("TestData", folder.Path());
    const auto data =
        Testing::ParseXml(R"~(<GameSystem><Objects archetypesFolder="$(TestData)"/></GameSystem>)~");
    ASSERT_TRUE(game.Parse(data.get()));

    {
        Testing::LogCapture log;
        EXPECT_EQ(game.CreateObjectFromArchetype("broken", "Broken.xml"), nullptr);
        EXPECT_TRUE(log.Contains("Could not open template 'Broken.xml'"));
    }
    {
        Testing::LogCapture log;
        EXPECT_EQ(game.CreateObjectFromArchetype("failing", "Failing.xml"), nullptr);
        EXPECT_TRUE(log.Contains("Object could not open successfuly"));
    }
    // The half-built object waits for the next update, which destroys it.
    EXPECT_NE(game.GetObject("failing"), nullptr);
    game.Update(0.016f);
    EXPECT_EQ(game.GetObject("failing"), nullptr);
    EXPECT_EQ(ProbeComponent::deleted, 2);
}

TEST_F(GameSystemTest, ConfigurationThroughAPathAttribute)
{
    const std::string path = folder.Write("Game.xml", R"(<GameSystem><Object name="a"/></GameSystem>)");
    const auto data =
        Testing::ParseXml(R"(<GameSystem path=")" + path + R"("><Object name="b"/></GameSystem>)");
    ASSERT_TRUE(game.Parse(data.get()));
    EXPECT_NE(game.GetObject("a"), nullptr);
    EXPECT_NE(game.GetObject("b"), nullptr);

    const auto missing = Testing::ParseXml(R"(<GameSystem path=")" + folder.Path() + R"(None.xml"/>)");
    Testing::LogCapture log;
    EXPECT_FALSE(game.Parse(missing.get()));
    EXPECT_TRUE(log.Contains("Data could not be parsed of path '" + folder.Path() + "None.xml'"));
}

TEST_F(GameSystemTest, FailingSectionIsReported)
{
    const auto data = Testing::ParseXml(
        R"(<GameSystem><Section><Object archetype="None.xml"/></Section><Object name="after"/></GameSystem>)");
    Testing::LogCapture log;
    EXPECT_FALSE(game.Parse(data.get()));
    EXPECT_TRUE(log.Contains("Could not parse section: 'Section'"));
    EXPECT_EQ(game.GetObject("after"), nullptr);
}

TEST_F(GameSystemTest, SaveWritesEveryObjectUnderObjects)
{
    const auto data = Testing::ParseXml(
        R"(<GameSystem><Object name="a"><Transform/></Object><Object name="b"><Probe/></Object></GameSystem>)");
    ASSERT_TRUE(game.Parse(data.get()));
    XMLParserData root("Root");
    ASSERT_TRUE(game.Save(&root));
    const IParserData* objects = root.GetFirstChild()->GetFirstChild();
    ASSERT_EQ(objects->GetName(), "Objects");
    std::set<std::string> names;
    for (const IParserData* object = objects->GetFirstChild(); object != nullptr;
         object = object->GetNextSibling())
    {
        names.insert(object->GetAttribute("name", ""));
    }
    EXPECT_EQ(names, (std::set<std::string>{"a", "b"}));

    // Saved objects read back into equal objects.
    game.Release();
    ASSERT_TRUE(game.Parse(root.GetFirstChild()));
    ASSERT_NE(game.GetObject("a"), nullptr);
    EXPECT_NE(game.GetObject("a")->GetComponent<Game::TransformComponent>(), nullptr);
    EXPECT_NE(game.GetObject("b")->GetComponent<ProbeComponent>(), nullptr);
}

TEST_F(GameSystemTest, SaveStopsAtAnObjectThatFails)
{
    const auto data =
        Testing::ParseXml(R"(<GameSystem><Object name="a"><Probe saves="false"/></Object></GameSystem>)");
    ASSERT_TRUE(game.Parse(data.get()));
    XMLParserData root("Root");
    Testing::LogCapture log;
    EXPECT_FALSE(game.Save(&root));
    EXPECT_TRUE(log.Contains("Object 'a' could not save"));
}

TEST_F(GameSystemTest, ReleaseDestroysEveryObjectAndForgetsCounters)
{
    const auto element = Testing::ParseXml(R"(<Object name="crate"><Probe/><Probe/></Object>)");
    game.CreateObject(element.get());
    game.MarkForDeletion(game.CreateObject(std::string("gone")));
    game.Release();
    EXPECT_EQ(ProbeComponent::deleted, 2);
    EXPECT_EQ(game.GetObjectCount(), 0u);
    game.Update(0.016f);
    EXPECT_EQ(ProbeComponent::initialized, 0);
    EXPECT_EQ(game.CreateObject(std::string("crate"))->GetName(), "crate");
}
} // namespace
} // namespace Morvane
