#include "Component/ComponentRegistry.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Files/FilesSystem.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "System/PathWrapper/PathWrapper.h"

#include <chrono>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <tuple>

namespace Morvane
{
namespace
{
using Game::Object;
using Strings = std::vector<std::string>;

// A component of a kind that no system owns.
struct ForeignComponent : Game::Component
{
    using Game::Component::Component;
    bool Save(IParserData*) override { return true; }
    void Clone(Game::Component*) override {}
};

// A component kind registered under the element name "Probe": it reads what it should fail at from its
// attributes and counts what happens to it.
class ProbeComponent : public ForeignComponent
{
public:
    using ForeignComponent::ForeignComponent;

    bool Parse(const IParserData* data) override
    {
        Game::Component::Parse(data);
        m_initializes = data->GetAttributeBool("initializes", true);
        m_spawn = data->GetAttribute("spawn", "");
        m_saves = data->GetAttributeBool("saves", true);
        return data->GetAttributeBool("parses", true);
    }
    bool Save(IParserData*) override { return m_saves; }
    bool Initialize() override
    {
        ++initialized;
        // An object holding a probe of its own, created from inside Initialize.
        if (!m_spawn.empty())
        {
            Game::Object* spawned = Game::System::GetInstance().CreateObject(m_spawn);
            spawned->AddComponent(new ProbeComponent(spawned));
        }
        return m_initializes;
    }

    static inline int deleted = 0;
    static inline int initialized = 0;

private:
    bool m_initializes = true;
    bool m_saves = true;
    std::string m_spawn;
};

class GameSystemTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ProbeComponent::deleted = ProbeComponent::initialized = 0;
        Game::ComponentRegistry::GetInstance().RegisterKind<ProbeComponent>(
            "Probe",
            [](Object* owner, const IParserData*) -> Game::Component* { return new ProbeComponent(owner); },
            [](Game::Component* component)
            {
                ++ProbeComponent::deleted;
                delete component;
            });
    }
    void TearDown() override { game.Release(); }

    Object* Create(const std::string& xml)
    {
        return game.CreateObject(static_cast<const IParserData*>(Testing::ParseXml(xml).get()));
    }

    Game::System& game = Game::System::GetInstance();
};

TEST_F(GameSystemTest, NamesAreMadeUniqueAndTheCounterOutlivesDeletionButNotRelease)
{
    const std::vector<std::pair<Strings, Strings>> cases = {
        {{"box", "box", "box", "box"}, {"box", "box_002", "box_004", "box_006"}},
        {{"box_002", "box", "box"}, {"box_002", "box", "box_003"}},
        {{"box", "box", "box_002"}, {"box", "box_002", "box_002_001"}},
    };
    for (const auto& [requested, expected] : cases)
    {
        game.Release();
        Strings names;
        for (const std::string& name : requested)
        {
            names.push_back(game.CreateObject(name)->GetName());
        }
        EXPECT_EQ(names, expected);
    }
    game.MarkForDeletion(game.GetObject("box"));
    game.Update(0.016f);
    EXPECT_EQ(game.GetObject("box"), nullptr);
    EXPECT_EQ(game.CreateObject(std::string("box"))->GetName(), "box_004");
    game.Release();
    EXPECT_EQ(game.CreateObject(std::string("box"))->GetName(), "box");
    // Longer than the log's format buffer: the suffix must still make each name new.
    const std::string longName(21000, 'x');
    EXPECT_EQ(game.CreateObject(longName)->GetName(), longName);
    EXPECT_EQ(game.CreateObject(longName)->GetName(), longName + "_002");
    EXPECT_EQ(game.CreateObject(longName)->GetName(), longName + "_004");

    ASSERT_TRUE(game.Parse(Testing::ParseXml("<GameSystem><Object/><Object/></GameSystem>").get()));
    EXPECT_NE(game.GetObject("unnamed_object"), nullptr);
    EXPECT_NE(game.GetObject("unnamed_object_002"), nullptr);
}

// What the editor writes back must load into the same objects.
TEST_F(GameSystemTest, SavedObjectsLoadBackAndAFailedSaveIsReported)
{
    ASSERT_TRUE(game.Parse(Testing::ParseXml(R"(<GameSystem><Object name="crate"><Transform position="1;2;3"/>
        </Object><Object name="lamp"><Transform position="4;5;6"/></Object></GameSystem>)")
                               .get()));
    XMLParserData saved("Level");
    ASSERT_TRUE(game.Save(&saved));
    game.Release();
    ASSERT_TRUE(game.Parse(saved.GetFirstChild()));
    EXPECT_EQ(game.GetObjectCount(), 2u);
    for (const auto& [name, position] :
         {std::pair{"crate", glm::vec3(1, 2, 3)}, {"lamp", glm::vec3(4, 5, 6)}})
    {
        const Object* object = game.GetObject(name);
        ASSERT_NE(object, nullptr) << name;
        EXPECT_EQ(object->GetComponent<Game::TransformComponent>()->GetPosition(), position) << name;
    }

    Create(R"(<Object name="stubborn"><Probe saves="false"/></Object>)");
    Testing::LogCapture log;
    XMLParserData failed("Level");
    EXPECT_FALSE(game.Save(&failed));
    EXPECT_TRUE(log.Contains("Object 'stubborn' could not save"));
    EXPECT_TRUE(log.Contains("could not save properly"));
}

TEST_F(GameSystemTest, UpdateInitializesThenDestroysMarkedFailedObjectsOnce)
{
    Object* crate = Create(R"(<Object name="crate"><Probe/></Object>)");
    game.MarkForDeletion(crate);
    game.MarkForDeletion(crate);
    Create(R"(<Object name="bad"><Probe initializes="false"/></Object>)");
    Object stray("stray");
    game.MarkForDeletion(&stray);
    EXPECT_EQ(game.GetObject("crate"), crate);
    EXPECT_EQ(ProbeComponent::initialized, 0);

    Testing::LogCapture log;
    game.Update(0.016f);
    EXPECT_EQ(ProbeComponent::initialized, 2);
    EXPECT_EQ(ProbeComponent::deleted, 2);
    EXPECT_EQ(game.GetObjectCount(), 0u);
    EXPECT_TRUE(log.Contains("Object 'bad' could not be initialized") &&
                log.Contains("Tried to delete an unexistent object: 'stray'"));
    game.Update(0.016f);
    EXPECT_EQ(ProbeComponent::deleted, 2);
}

TEST_F(GameSystemTest, ObjectsCreatedDuringInitializationAreInitializedInTheSameUpdate)
{
    Create(R"(<Object name="spawner"><Probe spawn="first"/><Probe spawn="second"/></Object>)");
    ASSERT_TRUE(game.Initialize());
    // The spawner's two probes, then the probe of each spawned object.
    EXPECT_EQ(ProbeComponent::initialized, 4);
    game.Update(0.016f);
    EXPECT_EQ(ProbeComponent::initialized, 4);
}

TEST_F(GameSystemTest, MissingOrFailingArchetypesAreReported)
{
    Testing::TempDirectory folder;
    folder.Write("Failing.xml", R"(<Object><Probe/><Probe parses="false"/></Object>)");
    PathWrapper::GetInstance().AddPath("TestData", folder.Path());
    const std::vector<std::pair<std::string, Strings>> cases = {
        {R"~(<Section><Objects archetypesFolder="$(TestData)"><Object archetype="Nope.xml"/></Objects></Section>)~",
         {"Could not open template 'Nope.xml'", "Could not create object",
          "Could not parse objects: 'Objects'", "Could not parse section: 'Section'"}},
        {R"~(<Objects archetypesFolder="$(TestData)"><Object archetype="Failing.xml"/></Objects>)~",
         {"Object could not open successfuly"}},
    };
    for (const auto& [body, messages] : cases)
    {
        Testing::LogCapture log;
        EXPECT_FALSE(game.Parse(
            Testing::ParseXml("<GameSystem>" + body + "<Object name='after'/></GameSystem>").get()))
            << body;
        EXPECT_EQ(game.GetObject("after"), nullptr) << body;
        for (const std::string& message : messages)
        {
            EXPECT_TRUE(log.Contains(message)) << message;
        }
    }
    // The half-built object waits for the next update, which destroys it.
    game.Update(0.016f);
    EXPECT_EQ(game.GetObjectCount(), 0u);
    EXPECT_EQ(ProbeComponent::deleted, 2);
}

// An archetype file is read once: objects made from it share nothing, and the file is read again
// only after the designer's reload (F9) saw it change, or after the system was released.
TEST_F(GameSystemTest, ArchetypesAreReadOnceUntilReloadedOrReleased)
{
    Testing::TempDirectory folder;
    const std::filesystem::path path =
        folder.Write("Crate.xml", R"(<Object><Transform position="1;2;3"/></Object>)");
    PathWrapper::GetInstance().AddPath("TestData", folder.Path());
    const auto configure = [this]
    {
        ASSERT_TRUE(game.Parse(
            Testing::ParseXml(R"~(<GameSystem><Objects archetypesFolder="$(TestData)"/></GameSystem>)~")
                .get()));
    };
    // The position of a new object from the archetype; NaN when it has none.
    const auto position = [this]
    {
        const Object* const object = game.CreateObjectFromArchetype("crate", "Crate.xml");
        const auto* const transform =
            object != nullptr ? object->GetComponent<Game::TransformComponent>() : nullptr;
        return transform != nullptr ? transform->GetPosition() : glm::vec3(std::nanf(""));
    };
    // Rewrites the file with a later time than the one seen, as an editor saving it would.
    const auto rewrite = [&path, &folder](const std::string& value)
    {
        const auto seen = std::filesystem::last_write_time(path);
        folder.Write("Crate.xml", R"(<Object><Transform position=")" + value + R"("/></Object>)");
        std::filesystem::last_write_time(path, seen + std::chrono::seconds(5));
    };
    configure();
    const std::size_t watches = Files::System::GetInstance().GetWatchCount();

    Object* const first = game.CreateObjectFromArchetype("crate", "Crate.xml");
    Object* const second = game.CreateObjectFromArchetype("crate", "Crate.xml");
    first->GetComponent<Game::TransformComponent>()->SetPosition({9.0f, 9.0f, 9.0f});
    EXPECT_EQ(second->GetComponent<Game::TransformComponent>()->GetPosition(), glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(Files::System::GetInstance().GetWatchCount(), watches + 1);

    rewrite("4;5;6");
    EXPECT_EQ(position(), glm::vec3(1.0f, 2.0f, 3.0f));
    Files::System::GetInstance().CheckWatches();
    EXPECT_EQ(position(), glm::vec3(4.0f, 5.0f, 6.0f));
    EXPECT_EQ(Files::System::GetInstance().GetWatchCount(), watches + 1);

    rewrite("7;8;9");
    game.Release();
    EXPECT_EQ(Files::System::GetInstance().GetWatchCount(), watches);
    configure();
    EXPECT_EQ(position(), glm::vec3(7.0f, 8.0f, 9.0f));
}

TEST_F(GameSystemTest, ComponentsFollowElementOrderAndAreFreedOnce)
{
    Object object("crate");
    ForeignComponent foreign(&object);
    ASSERT_TRUE(object.Parse(
        Testing::ParseXml(
            R"(<Object><Probe/><Transform id="first"/><Transform id="second"/><Probe id="p"/></Object>)")
            .get()));
    ASSERT_EQ(object.GetComponents().size(), 4u);
    const Game::TransformComponent* transform = object.GetComponent<Game::TransformComponent>();
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

TEST_F(GameSystemTest, BadComponentElements)
{
    const std::tuple<const char*, bool, const char*, int> cases[] = {
        {"<Object><Wobble/><Transform/><transform/></Object>", true, "Unknown parser element 'transform'", 0},
        // A kind whose system is not running creates nothing; what came before the failure stays.
        {"<Object><Transform/><Physics/><Transform/></Object>", false, "Could not create component 'Physics'",
         0},
        {R"(<Object><Probe/><Probe parses="false"/><Probe/></Object>)", false,
         "Could not create probe component", 1},
    };
    for (const auto& [xml, parses, message, deleted] : cases)
    {
        ProbeComponent::deleted = 0;
        Object object("crate");
        Testing::LogCapture log;
        EXPECT_EQ(object.Parse(Testing::ParseXml(xml).get()), parses) << xml;
        EXPECT_TRUE(log.Contains(message) && log.Contains("Object 'crate'")) << xml;
        EXPECT_EQ(object.GetComponents().size(), 1u) << xml;
        EXPECT_EQ(ProbeComponent::deleted, deleted) << xml;
    }
}
} // namespace
} // namespace Morvane
