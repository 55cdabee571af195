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
    struct Case
    {
        const char* set;
        float dt;
        std::vector<int> frames;
    };
    const std::vector<Case> cases = {
        {R"(<BehaviorSet name="S" stepTime="0.5"/>)", 0.2f, {1, 4, 7, 10}},
        {R"(<BehaviorSet name="S" stepTime="0.1"/>)", 1.0f, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {R"(<BehaviorSet name="S"/>)", 0.0f, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
    };
    for (const Case& timing : cases)
    {
        TearDown();
        CountingBehavior::Reset();
        DeclareSets(timing.set);
        MakeObject("crate", Counting("a", "S"));
        EXPECT_EQ(FiringFrames(10, timing.dt), timing.frames) << timing.set << " at " << timing.dt;
    }
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

TEST_F(BehaviorSystemTest, BadSetDeclarationsAndMembershipsAreReported)
{
    Testing::LogCapture log;
    DeclareSets(
        R"(<BehaviorSet name="A" stepTime="1"/><BehaviorSet name="A" stepTime="2"/><BehaviorSet/><Other/>)");
    behaviors.SetPaused("Nope", true);
    Game::Object* crate = MakeObject("crate", Counting("a", "A;B;"));
    EXPECT_TRUE(log.Contains("Tried to duplicate a behavior set 'A'"));
    EXPECT_TRUE(log.Contains("Creating an unnamed set"));
    EXPECT_TRUE(log.Contains("Unknown parser element 'Other'"));
    EXPECT_TRUE(log.Contains("Tried to set pause of an unexistent component set 'Nope'"));
    EXPECT_TRUE(log.Contains("Tried to add a component to an unexistent component set 'B'"));
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
        {R"(<Behavior type="BehaviorComponent_Refusing" behaviorSets="A"/>)",
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

} // namespace
} // namespace Morvane
