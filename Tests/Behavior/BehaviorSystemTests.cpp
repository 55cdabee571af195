#include "Behavior/BehaviorFactory/BehaviorFactory.h"
#include "Behavior/BehaviorSet.h"
#include "Behavior/BehaviorSystem.h"
#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "CountingBehavior.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"

#include <gtest/gtest.h>

namespace Morvane
{
namespace
{
using Testing::CountingBehavior;
using Strings = std::vector<std::string>;

class BehaviorSystemTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CountingBehavior::Reset();
        behaviors.m_customComponentFactory = &Testing::CreateTestBehavior;
    }
    void TearDown() override
    {
        game.Release();
        behaviors.Release();
    }

    void DeclareSets(const std::string& sets)
    {
        const auto data = Testing::ParseXml("<BehaviorSystem>" + sets + "</BehaviorSystem>");
        ASSERT_TRUE(behaviors.Parse(data.get()));
    }

    // An object named `name` with the given "Behavior" elements.
    Game::Object* MakeObject(const std::string& name, const std::string& children)
    {
        const auto element = Testing::ParseXml("<Object name=\"" + name + "\">" + children + "</Object>");
        return game.CreateObject(static_cast<const IParserData*>(element.get()));
    }

    static std::string Counting(const std::string& id, const std::string& sets)
    {
        return "<Behavior type=\"BehaviorComponent_Counting\" id=\"" + id + "\" behaviorSets=\"" + sets +
               "\"/>";
    }

    // Updates `frames` frames and returns the numbers (from 1) of those in which anything updated.
    std::vector<int> FiringFrames(int frames, float dt)
    {
        std::vector<int> firing;
        for (int frame = 1; frame <= frames; ++frame)
        {
            const std::size_t before = CountingBehavior::updates.size();
            behaviors.Update(dt);
            if (CountingBehavior::updates.size() != before)
            {
                firing.push_back(frame);
            }
        }
        return firing;
    }

    Behavior::System& behaviors = Behavior::System::GetInstance();
    Game::System& game = Game::System::GetInstance();
};

TEST_F(BehaviorSystemTest, StepTimeFiresOnTheFirstFrameAndDropsTheExcess)
{
    DeclareSets(R"(<BehaviorSet name="Slow" stepTime="0.5"/>)");
    MakeObject("crate", Counting("a", "Slow"));
    EXPECT_EQ(FiringFrames(10, 0.2f), (std::vector<int>{1, 4, 7, 10}));
}

TEST_F(BehaviorSystemTest, LongFrameFiresOnceWithTheFrameTime)
{
    DeclareSets(R"(<BehaviorSet name="Slow" stepTime="0.1"/>)");
    float seen = 0.0f;
    Game::Object* crate = MakeObject("crate", Counting("a", "Slow"));
    auto* behavior = crate->GetComponent<CountingBehavior>();
    ASSERT_NE(behavior, nullptr);
    behavior->onUpdate = [&] { ++seen; };
    behaviors.Update(0.0f);
    behaviors.Update(1.0f);
    EXPECT_EQ(seen, 2.0f);
    EXPECT_EQ(behaviors.FindSet("Slow")->GetAccumulator(), 0.0f);
}

TEST_F(BehaviorSystemTest, ZeroStepTimeFiresEveryFrameEvenWithZeroTime)
{
    DeclareSets(R"(<BehaviorSet name="Fast"/>)");
    MakeObject("crate", Counting("a", "Fast"));
    EXPECT_EQ(FiringFrames(3, 0.0f), (std::vector<int>{1, 2, 3}));
}

TEST_F(BehaviorSystemTest, PauseKeepsTheAccumulator)
{
    DeclareSets(R"(<BehaviorSet name="Slow" stepTime="0.5"/><BehaviorSet name="Frozen" paused="true"/>)");
    MakeObject("crate", Counting("a", "Slow") + Counting("b", "Frozen"));
    EXPECT_EQ(FiringFrames(2, 0.2f), (std::vector<int>{1}));
    const Behavior::BehaviorSet* slow = behaviors.FindSet("Slow");
    EXPECT_FLOAT_EQ(slow->GetAccumulator(), 0.2f);

    behaviors.SetPaused("Slow", true);
    EXPECT_TRUE(FiringFrames(5, 0.2f).empty());
    EXPECT_FLOAT_EQ(slow->GetAccumulator(), 0.2f);

    behaviors.SetPaused("Slow", false);
    EXPECT_EQ(FiringFrames(2, 0.2f), (std::vector<int>{2}));
    EXPECT_EQ(CountingBehavior::updates, (Strings{"crate/a", "crate/a"}));

    behaviors.SetPaused("Frozen", false);
    behaviors.Update(0.0f);
    EXPECT_EQ(CountingBehavior::updates.back(), "crate/b");
}

TEST_F(BehaviorSystemTest, DeclarationOrderBeatsNameOrder)
{
    DeclareSets(
        R"(<BehaviorSet name="Z"/><Section><BehaviorSet name="A"/></Section><BehaviorSet name="M"/>)");
    MakeObject("crate", Counting("inA", "A") + Counting("inM", "M") + Counting("inZ", "Z"));
    behaviors.Update(0.016f);
    EXPECT_EQ(CountingBehavior::updates, (Strings{"crate/inZ", "crate/inA", "crate/inM"}));
}

TEST_F(BehaviorSystemTest, ComponentInTwoSetsUpdatesTwicePerFrame)
{
    DeclareSets(R"(<BehaviorSet name="A"/><BehaviorSet name="B"/>)");
    Game::Object* crate = MakeObject("crate", Counting("both", "A;B") + Counting("twice", "B;B"));
    behaviors.Update(0.016f);
    EXPECT_EQ(CountingBehavior::updates, (Strings{"crate/both", "crate/both", "crate/twice", "crate/twice"}));

    const Behavior::Component* both = crate->GetComponent<Behavior::Component>();
    EXPECT_EQ(behaviors.GetComponentSets(both), (Strings{"A", "B"}));
}

TEST_F(BehaviorSystemTest, UnknownSetInBehaviorSetsIsSkippedWithAWarning)
{
    DeclareSets(R"(<BehaviorSet name="A"/>)");
    Testing::LogCapture log;
    Game::Object* crate = MakeObject("crate", Counting("a", "A;B;"));
    EXPECT_TRUE(log.Contains("Tried to add a component to an unexistent component set 'B'"));
    EXPECT_FALSE(log.Contains("component set ''"));
    EXPECT_EQ(behaviors.GetComponentSets(crate->GetComponent<Behavior::Component>()), (Strings{"A"}));
}

TEST_F(BehaviorSystemTest, SetsFromNestedCommonElements)
{
    DeclareSets(R"(<BehaviorSet name="A"/><BehaviorSet name="B"/>)");
    Game::Object* crate = MakeObject(
        "crate",
        R"(<Behavior type="BehaviorComponent_Counting"><Common><Common behaviorSets="B"/></Common></Behavior>)");
    EXPECT_EQ(behaviors.GetComponentSets(crate->GetComponent<Behavior::Component>()), (Strings{"B"}));
}

TEST_F(BehaviorSystemTest, ComponentWithoutSetsIsNeverUpdatedButReleased)
{
    DeclareSets(R"(<BehaviorSet name="A"/>)");
    MakeObject("crate", R"(<Behavior type="BehaviorComponent_Counting"/>)");
    EXPECT_EQ(behaviors.GetComponentCount(), 1u);
    behaviors.Update(0.016f);
    EXPECT_TRUE(CountingBehavior::updates.empty());

    behaviors.Release();
    EXPECT_EQ(CountingBehavior::released, 1);
    EXPECT_EQ(CountingBehavior::destroyed, 1);
    // The object no longer holds the destroyed component, so releasing it frees nothing twice.
    Game::Object* crate = game.GetObject("crate");
    EXPECT_TRUE(crate->GetComponents().empty());
    game.Release();
    EXPECT_EQ(CountingBehavior::destroyed, 1);
}

TEST_F(BehaviorSystemTest, SetDeclarationWarnings)
{
    Testing::LogCapture log;
    DeclareSets(
        R"(<BehaviorSet name="A" stepTime="1"/><BehaviorSet name="A" stepTime="2"/><BehaviorSet/><Other/>)");
    behaviors.SetPaused("Nope", true);
    EXPECT_TRUE(log.Contains("Tried to duplicate a behavior set 'A'"));
    EXPECT_TRUE(log.Contains("Creating an unnamed set"));
    EXPECT_TRUE(log.Contains("Unknown parser element 'Other'"));
    EXPECT_TRUE(log.Contains("Tried to set pause of an unexistent component set 'Nope'"));
    EXPECT_EQ(behaviors.FindSet("A")->GetStepTime(), 1.0f);
    EXPECT_NE(behaviors.FindSet(""), nullptr);
}

TEST_F(BehaviorSystemTest, FactoryFailuresCreateNothing)
{
    DeclareSets(R"(<BehaviorSet name="A"/>)");
    {
        Testing::LogCapture log;
        MakeObject("untyped", R"(<Behavior behaviorSets="A"/>)");
        EXPECT_TRUE(log.Contains("Custom behavior factory"));
        EXPECT_TRUE(log.Contains("No component type"));
        EXPECT_TRUE(log.Contains("Could not create custom behavior component"));
        EXPECT_TRUE(log.Contains("Could not create component 'Behavior'"));
    }
    {
        Testing::LogCapture log;
        MakeObject("unknown", R"(<Behavior type="BehaviorComponent_Nope"/>)");
        EXPECT_TRUE(log.Contains("Unrecognized behavior component type 'BehaviorComponent_Nope'"));
    }
    behaviors.m_customComponentFactory = nullptr;
    {
        Testing::LogCapture log;
        Game::Object* crate = MakeObject("crate", Counting("a", "A"));
        EXPECT_TRUE(log.Contains("Could not create component 'Behavior'"));
        EXPECT_TRUE(crate->GetComponents().empty());
    }
    EXPECT_EQ(behaviors.GetComponentCount(), 0u);
}

TEST_F(BehaviorSystemTest, BehaviorThatFailsToParseIsDeleted)
{
    DeclareSets(R"(<BehaviorSet name="A"/>)");
    Testing::LogCapture log;
    Game::Object* crate =
        MakeObject("crate", R"(<Behavior type="BehaviorComponent_Refusing" behaviorSets="A"/>)");
    EXPECT_TRUE(log.Contains("Could not create behavior component"));
    EXPECT_TRUE(crate->GetComponents().empty());
    EXPECT_EQ(behaviors.GetComponentCount(), 0u);
    EXPECT_EQ(CountingBehavior::destroyed, 1);
    behaviors.Update(0.016f);
    EXPECT_TRUE(CountingBehavior::updates.empty());
}

TEST_F(BehaviorSystemTest, ObjectDeletionRemovesItsBehaviorsFromEverySet)
{
    DeclareSets(R"(<BehaviorSet name="A"/><BehaviorSet name="B"/>)");
    Game::Object* gone = MakeObject("gone", Counting("a", "A;B;A"));
    MakeObject("kept", Counting("b", "B"));
    game.MarkForDeletion(gone);
    game.Update(0.016f);
    EXPECT_EQ(CountingBehavior::destroyed, 1);
    EXPECT_EQ(CountingBehavior::released, 1);
    behaviors.Update(0.016f);
    EXPECT_EQ(CountingBehavior::updates, (Strings{"kept/b"}));
}

TEST_F(BehaviorSystemTest, BehaviorDeletedDuringAnUpdateIsNotUpdatedAfterwards)
{
    DeclareSets(R"(<BehaviorSet name="A"/><BehaviorSet name="B"/>)");
    Game::Object* crate = MakeObject("crate", Counting("first", "A") + Counting("second", "A;B"));
    auto* first = dynamic_cast<CountingBehavior*>(crate->GetComponents()[0]);
    Behavior::Component* second = dynamic_cast<Behavior::Component*>(crate->GetComponents()[1]);
    ASSERT_TRUE(first != nullptr && second != nullptr);
    first->onUpdate = [&]
    {
        behaviors.DeleteComponent(second);
        first->onUpdate = nullptr;
    };
    behaviors.Update(0.016f);
    EXPECT_EQ(CountingBehavior::updates, (Strings{"crate/first"}));
    EXPECT_EQ(crate->GetComponents().size(), 1u);
    behaviors.Update(0.016f);
    EXPECT_EQ(CountingBehavior::updates, (Strings{"crate/first", "crate/first"}));
}

TEST_F(BehaviorSystemTest, ComponentAddedDuringAnUpdate)
{
    DeclareSets(R"(<BehaviorSet name="A"/><BehaviorSet name="B"/>)");
    Game::Object* crate = MakeObject("crate", Counting("adder", "A") + Counting("late", ""));
    auto* adder = dynamic_cast<CountingBehavior*>(crate->GetComponents()[0]);
    auto* late = dynamic_cast<CountingBehavior*>(crate->GetComponents()[1]);
    ASSERT_TRUE(adder != nullptr && late != nullptr);
    adder->onUpdate = [&]
    {
        behaviors.AddComponentToSet(late, "A");
        behaviors.AddComponentToSet(late, "B");
        adder->onUpdate = nullptr;
    };
    behaviors.Update(0.016f);
    // B had not been visited yet; A had, so "late" waits for A's next firing there.
    EXPECT_EQ(CountingBehavior::updates, (Strings{"crate/adder", "crate/late"}));
    behaviors.Update(0.016f);
    EXPECT_EQ(CountingBehavior::updates,
              (Strings{"crate/adder", "crate/late", "crate/adder", "crate/late", "crate/late"}));
}

TEST_F(BehaviorSystemTest, DeletingAComponentItDoesNotOwnDestroysNothing)
{
    DeclareSets(R"(<BehaviorSet name="A"/>)");
    Game::Object stray("stray");
    CountingBehavior foreign(&stray);
    behaviors.AddComponentToSet(&foreign, "A");
    Testing::LogCapture log;
    behaviors.DeleteComponent(&foreign);
    EXPECT_TRUE(log.Contains("Behavior system"));
    EXPECT_TRUE(log.Contains("'stray'"));
    EXPECT_EQ(CountingBehavior::released, 0);
    EXPECT_TRUE(behaviors.GetComponentSets(&foreign).empty());
}

TEST_F(BehaviorSystemTest, SaveWritesTheSetsAndTheSavedFormRegistersAgain)
{
    DeclareSets(R"(<BehaviorSet name="B"/><BehaviorSet name="A"/>)");
    MakeObject("crate", Counting("a", "B;A"));
    XMLParserData root("Root");
    ASSERT_TRUE(game.Save(&root));
    const IParserData* behavior = root.GetFirstChild()->GetFirstChild()->GetFirstChild()->GetFirstChild();
    ASSERT_EQ(behavior->GetName(), "Behavior");
    const IParserData* common = behavior->GetFirstChild();
    ASSERT_EQ(common->GetName(), "Common");
    const IParserData* first = common->GetFirstChild();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetName(), "BehaviorSet");
    EXPECT_EQ(first->GetAttribute("name", ""), "A");
    EXPECT_EQ(first->GetNextSibling()->GetAttribute("name", ""), "B");

    game.Release();
    ASSERT_TRUE(game.Parse(root.GetFirstChild()));
    Game::Object* crate = game.GetObject("crate");
    ASSERT_NE(crate, nullptr);
    EXPECT_EQ(behaviors.GetComponentSets(crate->GetComponent<Behavior::Component>()), (Strings{"A", "B"}));
}

TEST_F(BehaviorSystemTest, CloneChecksTheKind)
{
    Game::Object crate("crate");
    CountingBehavior behavior(&crate);
    CountingBehavior other(&crate);
    struct NotABehavior : Game::Component
    {
        using Game::Component::Component;
        bool Save(IParserData*) override { return true; }
        void Clone(Game::Component*) override {}
    } notBehavior(&crate);
    Testing::LogCapture log;
    behavior.Clone(&other);
    behavior.Clone(&notBehavior);
    EXPECT_TRUE(log.Contains("crate/Behavior"));
    EXPECT_TRUE(log.Contains("Tried to clone incorrect types"));
}

TEST_F(BehaviorSystemTest, RegisteringWithoutDataIsAnAssertion)
{
    Game::Object crate("crate");
    CountingBehavior behavior(&crate);
    EXPECT_THROW(behaviors.RegisterComponent(&behavior, nullptr), std::runtime_error);
}

TEST(BehaviorFactory, NamesTheProblem)
{
    Game::Object crate("crate");
    Testing::LogCapture log;
    const auto untyped = Testing::ParseXml(R"(<Behavior type=""/>)");
    EXPECT_EQ(CreateCustomBehaviorComponent(&crate, untyped.get()), nullptr);
    EXPECT_EQ(CreateCustomBehaviorComponent(&crate, nullptr), nullptr);
    const auto unknown = Testing::ParseXml(R"(<Behavior type="behaviorcomponent_door"/>)");
    EXPECT_EQ(CreateCustomBehaviorComponent(&crate, unknown.get()), nullptr);
    EXPECT_TRUE(log.Contains("Custom behavior factory"));
    EXPECT_TRUE(log.Contains("No component type"));
    EXPECT_TRUE(log.Contains("Unrecognized behavior component type 'behaviorcomponent_door'"));
}
} // namespace
} // namespace Morvane
