// The step program's timing and steering against a stand-in for the game.
#include "Capture/StepRunner.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Support/LogCapture.h"
#include "System/Logging/Format.h"

#include <SDL_keyboard.h>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace Morvane::Capture
{
namespace
{
class FakeWorld final : public StepWorld
{
public:
    std::optional<glm::vec3> PlayerPosition() const override { return player; }
    std::vector<glm::vec3> ObjectPositions(const std::string&) const override { return objects; }
    std::optional<glm::vec3> ViewDirection(const std::string& camera) const override
    {
        return camera == "Camera_World" ? std::optional(view) : std::nullopt;
    }
    std::size_t LogCount(const std::string& text) const override
    {
        const auto found = logs.find(text);
        return found == logs.end() ? 0 : found->second;
    }

    std::optional<glm::vec3> player = glm::vec3(0.0f, 1.0f, 0.0f);
    std::vector<glm::vec3> objects;
    glm::vec3 view{0.0f, 0.0f, -1.0f};
    std::map<std::string, std::size_t> logs;
};

CaptureScript Script(const std::string& xml)
{
    XMLParserData root;
    EXPECT_TRUE(root.FromString(xml)) << xml;
    CaptureScript script;
    EXPECT_TRUE(script.Parse(root, "/captures")) << xml;
    return script;
}

// "R+" a key down, "A-" a pad button up, "leftx=1" a stick, "shot" a screenshot.
std::string Describe(const std::vector<Action>& actions)
{
    std::string text;
    for (const Action& action : actions)
    {
        if (const auto* key = std::get_if<KeyAction>(&action))
        {
            text += std::string(SDL_GetScancodeName(key->scancode)) + (key->down ? "+ " : "- ");
        }
        else if (const auto* button = std::get_if<PadButtonAction>(&action))
        {
            text += std::string(SDL_GameControllerGetStringForButton(button->button)) +
                    (button->down ? "+ " : "- ");
        }
        else if (const auto* axis = std::get_if<PadAxisAction>(&action))
        {
            // Adding 0 turns -0 into 0.
            text += Format("%s=%.2f ", SDL_GameControllerGetStringForAxis(axis->axis),
                           static_cast<double>(axis->value + 0.0f));
        }
        else if (std::holds_alternative<ScreenshotAction>(action))
        {
            text += "shot ";
        }
    }
    return text;
}

// Frame by frame what the runner gives, "FRAME: ACTIONS" for frames that give something.
std::string Play(StepRunner& runner, int from, int to)
{
    std::string text;
    for (int frame = from; frame < to; ++frame)
    {
        if (const std::string actions = Describe(runner.Advance(frame)); !actions.empty())
        {
            text += std::to_string(frame) + ": " + actions;
        }
    }
    return text;
}

TEST(StepRunner, EachStepBeginsOnTheFrameAfterTheLastOneFinished)
{
    const CaptureScript script = Script(R"(<Capture frames="20"><Steps start="2">
        <Press key="R"/><Hold key="W" seconds="0.05"/><Wait seconds="0"/><Screenshot path="a.png"/><Jump/>
    </Steps></Capture>)");
    FakeWorld world;
    StepRunner runner(script, world);
    // 0.05 s at 0.016 s a frame is held through 4 frames; the wait of 0 s ends on its own frame.
    EXPECT_EQ(Play(runner, 0, 20), "2: R+ 3: R- 4: W+ 8: W- 10: shot 11: Space+ 12: Space- ");
    EXPECT_TRUE(runner.IsDone());
    EXPECT_FALSE(runner.HasFailed());
}

TEST(StepRunner, WaitLogSeesStartUpFromFrameZeroOnlyAndTimesOutOnce)
{
    const CaptureScript script = Script(R"(<Capture frames="20"><Steps>
        <WaitLog text="ready"/><WaitLog text="ready" timeout="0.05"/></Steps></Capture>)");
    FakeWorld world;
    world.logs["ready"] = 1;
    StepRunner runner(script, world);
    Testing::LogCapture log;
    EXPECT_EQ(Play(runner, 0, 1), "");
    EXPECT_EQ(runner.DescribeCurrent(), "Step 2 <WaitLog>");
    EXPECT_EQ(Play(runner, 1, 20), "");
    EXPECT_TRUE(runner.HasFailed());
    EXPECT_FALSE(runner.IsDone());
    // Begun on frame 1, 0.064 s have passed by frame 5; nothing is said or run after the failure.
    EXPECT_TRUE(log.Contains("Frame 0: Step 1 <WaitLog> done"));
    EXPECT_TRUE(log.Contains("Frame 5: Step 2 <WaitLog> did not finish within 0.05 s"));
    EXPECT_EQ(Testing::CountOf(log.Text(), "did not finish"), 1u);
}

TEST(StepRunner, WaitNearEndsWhenTheObjectArrivesInSpaceOrOnTheFloor)
{
    const CaptureScript script = Script(R"(<Capture frames="20"><Steps>
        <WaitNear object="Lift" to="0;5;0" within="1"/><WaitNear object="Lift" to="3;-2"/></Steps></Capture>)");
    FakeWorld world;
    StepRunner runner(script, world);
    // Absent, then below the point: the first wait goes on; any one of the objects may end it.
    Play(runner, 0, 2);
    world.objects = {glm::vec3(0.0f, 3.0f, 0.0f)};
    Play(runner, 2, 4);
    EXPECT_EQ(runner.DescribeCurrent(), "Step 1 <WaitNear>");
    world.objects = {glm::vec3(9.0f, 5.0f, 0.0f), glm::vec3(0.0f, 4.5f, 0.0f)};
    Play(runner, 4, 5);
    EXPECT_EQ(runner.DescribeCurrent(), "Step 2 <WaitNear>");
    // Without a height only the floor counts.
    world.objects = {glm::vec3(3.0f, 40.0f, -2.2f)};
    Play(runner, 5, 6);
    EXPECT_TRUE(runner.IsDone());
}

TEST(StepRunner, WalkPointsTheLeftStickAtTheTargetFromTheView)
{
    const CaptureScript script = Script(R"(<Capture frames="20"><Steps>
        <Walk to="3;0"/><Walk to="0;0;-3"/><Walk to="0;0" jump="true"/></Steps></Capture>)");
    FakeWorld world;
    StepRunner runner(script, world);
    // Looking along -z, +x is to the right and -z ahead (up is the stick's negative y).
    EXPECT_EQ(Describe(runner.Advance(0)), "leftx=1.00 lefty=0.00 ");
    world.view = glm::vec3(1.0f, -0.5f, 0.0f);
    EXPECT_EQ(Describe(runner.Advance(1)), "leftx=0.00 lefty=-1.00 ");
    world.player = glm::vec3(2.6f, 1.0f, 0.2f);
    EXPECT_EQ(Describe(runner.Advance(2)), "leftx=0.00 lefty=0.00 ");
    // Looking along +x, -z is to the left.
    world.player = glm::vec3(0.0f, 1.0f, 0.0f);
    EXPECT_EQ(Describe(runner.Advance(3)), "leftx=-1.00 lefty=0.00 ");
    world.player = glm::vec3(0.0f, 1.0f, -2.6f);
    EXPECT_EQ(Describe(runner.Advance(4)), "leftx=0.00 lefty=0.00 ");
    // Already there, the jump's button is still let go on the next frame before the walk ends.
    world.player = glm::vec3(0.1f, 1.0f, 0.0f);
    EXPECT_EQ(Describe(runner.Advance(5)), "a+ leftx=0.00 lefty=0.00 ");
    EXPECT_FALSE(runner.IsDone());
    EXPECT_EQ(Describe(runner.Advance(6)), "a- leftx=0.00 lefty=0.00 ");
    EXPECT_TRUE(runner.IsDone());
}
} // namespace
} // namespace Morvane::Capture
