#include "Behavior/BehaviorComponent.h"
#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSet.h"
#include "Behavior/BehaviorSystem.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Parsing/FileParser/FileParser.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"
#include "SystemManager/SystemManager.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>

namespace Morvane
{
namespace
{
using Strings = std::vector<std::string>;

// Records each update under "<object>/<id>" and can run a test's action when it updates; refuses to
// parse when its element says refuses="true".
class CountingBehavior : public Behavior::Component
{
public:
    using Behavior::Component::Component;
    ~CountingBehavior() override { ++destroyed; }

    bool Parse(const IParserData* data) override
    {
        return Game::Component::Parse(data) && !data->GetAttributeBool("refuses", false);
    }
    void Update(const float&) override
    {
        updates.push_back(GetOwnerName() + "/" + GetId());
        if (onUpdate)
        {
            onUpdate();
        }
    }
    void Release() override { ++released; }

    std::function<void()> onUpdate;
    static inline Strings updates;
    static inline int released = 0;
    static inline int destroyed = 0;
};

// "BehaviorComponent_Counting", anything else to the game's factory.
Behavior::Component* CreateTestBehavior(Game::Object* owner, const IParserData* element)
{
    if (element != nullptr && element->GetAttribute("type", "") == "BehaviorComponent_Counting")
    {
        return new CountingBehavior(owner);
    }
    return CreateCustomBehaviorComponent(owner, element);
}

std::string Counting(const std::string& id, const std::string& sets)
{
    return "<Behavior type=\"BehaviorComponent_Counting\" id=\"" + id + "\" behaviorSets=\"" + sets + "\"/>";
}

class BehaviorSystemTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CountingBehavior::updates.clear();
        CountingBehavior::released = CountingBehavior::destroyed = 0;
        behaviors.m_customComponentFactory = &CreateTestBehavior;
    }
    void TearDown() override
    {
        game.Release();
        behaviors.Release();
    }

    void DeclareSets(const std::string& sets)
    {
        ASSERT_TRUE(
            behaviors.Parse(Testing::ParseXml("<BehaviorSystem>" + sets + "</BehaviorSystem>").get()));
    }

    Game::Object* MakeObject(const std::string& name, const std::string& children)
    {
        const auto element = Testing::ParseXml("<Object name=\"" + name + "\">" + children + "</Object>");
        Game::Object* object = game.CreateObject(static_cast<const IParserData*>(element.get()));
        // As a frame does before the behaviors run: behaviors of objects not yet initialised wait.
        game.Update(0.0f);
        return object;
    }

    // Updates `frames` frames and returns the number (from 1) of the frame of every update.
    std::vector<int> FiringFrames(int frames, float dt)
    {
        std::vector<int> firing;
        for (int frame = 1; frame <= frames; ++frame)
        {
            const std::size_t before = CountingBehavior::updates.size();
            behaviors.Update(dt);
            firing.insert(firing.end(), CountingBehavior::updates.size() - before, frame);
        }
        return firing;
    }

    Behavior::System& behaviors = Behavior::System::GetInstance();
    Game::System& game = Game::System::GetInstance();
};

TEST_F(BehaviorSystemTest, StepTimeFiresOnTheFirstFrameAtMostOncePerFrame)
{
    const std::vector<std::tuple<const char*, float, std::vector<int>>> cases = {
        {R"(<BehaviorSet name="S" stepTime="0.5"/>)", 0.2f, {1, 4, 7, 10}},
        {R"(<BehaviorSet name="S" stepTime="0.1"/>)", 1.0f, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {R"(<BehaviorSet name="S"/>)", 0.0f, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
    };
    for (const auto& [set, dt, frames] : cases)
    {
        TearDown();
        DeclareSets(set);
        MakeObject("crate", Counting("a", "S"));
        EXPECT_EQ(FiringFrames(10, dt), frames) << set << " at " << dt;
    }
}

TEST_F(BehaviorSystemTest, PauseKeepsTheAccumulator)
{
    DeclareSets(R"(<BehaviorSet name="Slow" stepTime="0.5"/><BehaviorSet name="Frozen" paused="true"/>)");
    MakeObject("crate", Counting("a", "Slow") + Counting("b", "Frozen"));
    EXPECT_EQ(FiringFrames(2, 0.2f), (std::vector<int>{1}));
    behaviors.SetPaused("Slow", true);
    EXPECT_TRUE(FiringFrames(5, 0.2f).empty());
    behaviors.SetPaused("Slow", false);
    // The 0.2 s from before the pause carries over: frame 2, not 1 or 3.
    EXPECT_EQ(FiringFrames(2, 0.2f), (std::vector<int>{2}));

    behaviors.SetPaused("Frozen", false);
    behaviors.Update(0.0f);
    EXPECT_EQ(CountingBehavior::updates, (Strings{"crate/a", "crate/a", "crate/b"}));
}

TEST_F(BehaviorSystemTest, DeclarationOrderBeatsNameOrderAndTwoSetsUpdateTwice)
{
    DeclareSets(
        R"(<BehaviorSet name="Z"/><Section><BehaviorSet name="A"/></Section><BehaviorSet name="M"/>)");
    MakeObject("crate", Counting("inA", "A") + Counting("inM", "M") + Counting("inZ", "Z;A"));
    behaviors.Update(0.016f);
    EXPECT_EQ(CountingBehavior::updates, (Strings{"crate/inZ", "crate/inA", "crate/inZ", "crate/inM"}));
}

// A saved level must load back into the same sets, from the form Save writes.
TEST_F(BehaviorSystemTest, SavedSetsRegisterAgain)
{
    DeclareSets(R"(<BehaviorSet name="A"/><BehaviorSet name="Z"/>)");
    auto* original = MakeObject("crate", Counting("a", "Z;A"))->GetComponent<Behavior::Component>();
    const auto saved = Testing::ParseXml("<Object/>");
    ASSERT_TRUE(original->Save(saved.get()));
    auto* copy = MakeObject("copy", Counting("b", ""))->GetComponent<Behavior::Component>();
    behaviors.RegisterComponent(copy, saved->GetFirstChild());
    EXPECT_EQ(behaviors.GetComponentSets(copy), (Strings{"A", "Z"}));
}

TEST_F(BehaviorSystemTest, BadSetDeclarationsAndMembershipsAreReported)
{
    Testing::LogCapture log;
    DeclareSets(
        R"(<BehaviorSet name="A" stepTime="1"/><BehaviorSet name="A" stepTime="2"/><BehaviorSet/><Other/>)");
    behaviors.SetPaused("Nope", true);
    Game::Object* crate = MakeObject("crate", Counting("a", "A;B;"));
    for (const char* message :
         {"Tried to duplicate a behavior set 'A'", "Creating an unnamed set",
          "Unknown parser element 'Other'", "Tried to set pause of an unexistent component set 'Nope'",
          "Tried to add a component to an unexistent component set 'B'"})
    {
        EXPECT_TRUE(log.Contains(message)) << message;
    }
    EXPECT_FALSE(log.Contains("component set ''"));
    EXPECT_EQ(behaviors.FindSet("A")->GetStepTime(), 1.0f);
    EXPECT_EQ(behaviors.GetComponentSets(crate->GetComponent<Behavior::Component>()), (Strings{"A"}));
}

TEST_F(BehaviorSystemTest, BehaviorsThatCannotBeMadeLeaveNothingBehind)
{
    DeclareSets(R"(<BehaviorSet name="A"/>)");
    const std::vector<std::pair<std::string, Strings>> cases = {
        {R"(<Behavior behaviorSets="A"/>)",
         {"Custom behavior factory", "No component type", "Could not create component 'Behavior'"}},
        {R"(<Behavior type="BehaviorComponent_Nope"/>)",
         {"Unrecognized behavior component type 'BehaviorComponent_Nope'"}},
        {R"(<Behavior type="BehaviorComponent_Counting" refuses="true" behaviorSets="A"/>)",
         {"Could not create behavior component"}},
    };
    for (const auto& [behavior, messages] : cases)
    {
        Testing::LogCapture log;
        EXPECT_TRUE(MakeObject("crate", behavior)->GetComponents().empty()) << behavior;
        for (const std::string& message : messages)
        {
            EXPECT_TRUE(log.Contains(message)) << message;
        }
    }
    behaviors.m_customComponentFactory = nullptr;
    EXPECT_TRUE(MakeObject("crate", Counting("a", "A"))->GetComponents().empty());
    EXPECT_EQ(CountingBehavior::destroyed, 1);
    EXPECT_EQ(behaviors.GetComponentCount(), 0u);
    behaviors.Update(0.016f);
    EXPECT_TRUE(CountingBehavior::updates.empty());
}

// A level loaded by a behavior of one set makes objects whose behaviors sit in a later set: they wait
// for the game system to initialise their objects, as members appended during a set's own walk do.
TEST_F(BehaviorSystemTest, BehaviorsMadeByAnEarlierSetWaitForTheirObjectsInitialisation)
{
    DeclareSets(R"(<BehaviorSet name="Main"/><BehaviorSet name="Gameplay"/>)");
    Game::Object* logic = MakeObject("logic", Counting("maker", "Main"));
    auto* maker = dynamic_cast<CountingBehavior*>(logic->GetComponents()[0]);
    ASSERT_NE(maker, nullptr);
    maker->onUpdate = [&]
    {
        const auto element =
            Testing::ParseXml("<Object name=\"door\">" + Counting("opens", "Gameplay") + "</Object>");
        game.CreateObject(static_cast<const IParserData*>(element.get()));
        maker->onUpdate = nullptr;
    };
    behaviors.Update(0.016f);
    EXPECT_EQ(CountingBehavior::updates, (Strings{"logic/maker"}));
    game.Update(0.016f);
    behaviors.Update(0.016f);
    EXPECT_EQ(CountingBehavior::updates, (Strings{"logic/maker", "logic/maker", "door/opens"}));
}

TEST_F(BehaviorSystemTest, DeletedObjectOrBehaviorLeavesEverySetAndNothingIsFreedTwice)
{
    DeclareSets(R"(<BehaviorSet name="A"/><BehaviorSet name="B"/>)");
    game.MarkForDeletion(MakeObject("gone", Counting("a", "A;B;A")));
    Game::Object* crate = MakeObject("crate", Counting("first", "A") + Counting("second", "A;B"));
    game.Update(0.016f);
    EXPECT_EQ(CountingBehavior::released, 1);
    EXPECT_EQ(CountingBehavior::destroyed, 1);

    auto* first = dynamic_cast<CountingBehavior*>(crate->GetComponents()[0]);
    auto* second = dynamic_cast<Behavior::Component*>(crate->GetComponents()[1]);
    ASSERT_TRUE(first != nullptr && second != nullptr);
    first->onUpdate = [&]
    {
        behaviors.DeleteComponent(second);
        first->onUpdate = nullptr;
    };
    behaviors.Update(0.016f);
    behaviors.Update(0.016f);
    EXPECT_EQ(CountingBehavior::updates, (Strings{"crate/first", "crate/first"}));
    EXPECT_EQ(crate->GetComponents().size(), 1u);

    // Released before the objects, which then must not free their behaviors again.
    behaviors.Release();
    EXPECT_TRUE(crate->GetComponents().empty());
    game.Release();
    EXPECT_EQ(CountingBehavior::destroyed, 3);
}

// The archetype alone describes an object: the element's own children are ignored.
constexpr const char* kGame = R"(<GameSystem><Objects archetypesFolder="$(TestData)Archetypes">
    <Object name="crate" archetype="Crate.xml"><Transform position="9;9;9"/></Object>
    <Object name="crate" archetype="Crate.xml"/><Section><Object name="crate" archetype="Crate.xml"/></Section>
    <Object name="player"><Transform/>
        <Behavior type="BehaviorComponent_Counting" id="p" behaviorSets="BehaviorSet_Gameplay;BehaviorSet_Slow"/>
    </Object>
</Objects></GameSystem>)";

constexpr const char* kProject = R"(<ProjectConfiguration>
    <Paths><Path alias="TestData" path="%DIR%"/></Paths>
    <SystemsConfiguration>
        <InitOrder><GameSystem/><BehaviorSystem/></InitOrder>
        <UpdateOrder><GameSystem/><BehaviorSystem/></UpdateOrder>
        <ReleaseOrder><GameSystem/><BehaviorSystem/></ReleaseOrder>
    </SystemsConfiguration>
    <BehaviorSystem>
        <BehaviorSet name="BehaviorSet_Gameplay"/><BehaviorSet name="BehaviorSet_Slow" stepTime="0.035"/>
    </BehaviorSystem>
    <GameSystem path="$(TestData)Game.xml"/>
    <Initialize/>
</ProjectConfiguration>)";

TEST_F(BehaviorSystemTest, ArchetypeObjectsUpdateInTheirSetsThroughTheFrameLoopAndAreReleased)
{
    Testing::TempDirectory folder;
    folder.Write("Archetypes/Crate.xml", "<Object><Transform position='1;0;0'/>" +
                                             Counting("c", "BehaviorSet_Gameplay") + "</Object>");
    folder.Write("Game.xml", kGame);
    std::string project = kProject;
    project.replace(project.find("%DIR%"), 5, folder.Path());
    SystemManager& manager = SystemManager::GetInstance();
    // Each frame reads the clock twice, 10 ms apart.
    std::uint32_t now = 0;
    manager.SetClock([&now] { return now += 10; });
    {
        FileParser parser; // its tree must go before the pools do
        IParserData* tree = parser.Parse(folder.Write("ProjectConfiguration.xml", project));
        ASSERT_NE(tree, nullptr);
        ASSERT_TRUE(manager.Initialize(tree));
    }
    Game::Object* crate = game.GetObject("crate");
    ASSERT_NE(crate, nullptr);
    const auto* transform = crate->GetComponent<Game::TransformComponent>();
    ASSERT_NE(transform, nullptr);
    EXPECT_EQ(transform->GetPosition(), glm::vec3(1, 0, 0));

    auto* quitting = crate->GetComponent<CountingBehavior>();
    ASSERT_NE(quitting, nullptr);
    int frames = 0;
    quitting->onUpdate = [&] { manager.quit = ++frames == 6; };
    manager.Run();
    EXPECT_EQ(game.GetObjectCount(), 4u);
    const Strings& updates = CountingBehavior::updates;
    EXPECT_EQ(std::count(updates.begin(), updates.end(), "crate_004/c"), 6);
    // Every frame in the gameplay set, plus frames 1 and 5 in the slow one (16 ms, then 10 ms a frame).
    EXPECT_EQ(std::count(updates.begin(), updates.end(), "player/p"), 8);

    manager.Release();
    EXPECT_EQ(game.GetObjectCount(), 0u);
    EXPECT_EQ(behaviors.GetComponentCount(), 0u);
    EXPECT_EQ(CountingBehavior::released, 4);
    EXPECT_EQ(CountingBehavior::destroyed, 4);
}
} // namespace
} // namespace Morvane
