#include "Capture/CaptureScript.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Support/LogCapture.h"

#include <gtest/gtest.h>
#include <string>
#include <variant>

namespace Morvane::Capture
{
namespace
{
bool Parse(CaptureScript& script, const std::string& xml)
{
    XMLParserData root;
    EXPECT_TRUE(root.FromString(xml)) << xml;
    return script.Parse(root, "/captures/room");
}

TEST(CaptureScript, ReadsEveryElementWithItsDefaultsAndPathsFromTheFilesFolder)
{
    CaptureScript script;
    ASSERT_TRUE(Parse(script, R"(<Capture frames="10" configuration="Room.xml" analytics="/etc/a.xml">
        <Frame number="2">
            <Key key="Left Ctrl"/><Key key="W" down="false"/>
            <MouseMotion dx="-4"/><MouseMotion x="10" y="20"/>
            <MouseButton button="3" down="0"/>
            <PadButton button="a"/><PadAxis axis="righttrigger" value="0.5"/>
            <Screenshot path="shots/a.png"/><Dump path="/tmp/objects.txt"/>
            <CopyFile from="new/Picture.png" to="/tmp/Picture.png"/>
        </Frame>
    </Capture>)"));
    EXPECT_EQ(script.GetFrameCount(), 10);
    EXPECT_FLOAT_EQ(script.GetStep(), 0.016f);
    EXPECT_EQ(script.GetSeed(), 1u);
    EXPECT_EQ(script.GetDrawing(), CaptureScript::Drawing::EveryFrame);
    EXPECT_FALSE(script.GetWidth().has_value());
    EXPECT_EQ(script.GetConfiguration(), "/captures/room/Room.xml");
    EXPECT_EQ(script.GetAnalytics(), "/etc/a.xml");
    EXPECT_TRUE(script.GetOptions().empty());

    const std::vector<Action>& actions = script.GetActions(2);
    ASSERT_EQ(actions.size(), 10u);
    EXPECT_EQ(std::get<KeyAction>(actions[0]).scancode, SDL_SCANCODE_LCTRL);
    EXPECT_TRUE(std::get<KeyAction>(actions[0]).down);
    EXPECT_FALSE(std::get<KeyAction>(actions[1]).down);
    EXPECT_EQ(std::get<MouseMotionAction>(actions[2]).dx, -4);
    EXPECT_EQ(std::get<MouseMotionAction>(actions[2]).dy, 0);
    EXPECT_FALSE(std::get<MouseMotionAction>(actions[2]).x.has_value());
    EXPECT_EQ(std::get<MouseMotionAction>(actions[3]).y, 20);
    EXPECT_FALSE(std::get<MouseMotionAction>(actions[3]).dx.has_value());
    EXPECT_EQ(std::get<MouseButtonAction>(actions[4]).button, 3);
    EXPECT_FALSE(std::get<MouseButtonAction>(actions[4]).down);
    EXPECT_EQ(std::get<PadButtonAction>(actions[5]).button, SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(std::get<PadAxisAction>(actions[6]).axis, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    EXPECT_EQ(std::get<ScreenshotAction>(actions[7]).path, "/captures/room/shots/a.png");
    EXPECT_EQ(std::get<DumpAction>(actions[8]).path, "/tmp/objects.txt");
    EXPECT_EQ(std::get<CopyFileAction>(actions[9]).from, "/captures/room/new/Picture.png");
    EXPECT_EQ(std::get<CopyFileAction>(actions[9]).to, "/tmp/Picture.png");
    EXPECT_TRUE(script.TakesScreenshot(2));
    EXPECT_FALSE(script.TakesScreenshot(3));
    EXPECT_TRUE(script.GetActions(3).empty());
}

// One script serves every frame rate: a time names the first frame that starts at or after it.
TEST(CaptureScript, FrameTimesBecomeTheFirstFrameStartingThen)
{
    for (const auto& [step, expected] : {std::pair{"0.016", 63}, {"0.0333333", 30}, {"0.00694444", 144}})
    {
        CaptureScript script;
        ASSERT_TRUE(Parse(script, std::string(R"(<Capture frames="200" step=")") + step +
                                      R"("><Frame time="1"><Screenshot path="a.png"/></Frame></Capture>)"));
        EXPECT_TRUE(script.TakesScreenshot(expected)) << step;
        EXPECT_EQ(script.GetScreenshotCount(), 1u);
    }
    CaptureScript merged;
    ASSERT_TRUE(Parse(merged, R"(<Capture frames="5" step="0.5">
        <Frame number="2"><Key key="A"/></Frame><Frame time="1"><Key key="B"/></Frame></Capture>)"));
    ASSERT_EQ(merged.GetActions(2).size(), 2u);
    EXPECT_EQ(std::get<KeyAction>(merged.GetActions(2)[1]).scancode, SDL_SCANCODE_B);
}

TEST(CaptureScript, ReadsStepsExpectationsAndTheTraceWithTheirDefaults)
{
    CaptureScript script;
    ASSERT_TRUE(Parse(script, R"xml(<Capture frames="50" trace="out/trace.txt">
        <ExpectLog text="Level loaded: $(X)"/><ExpectLog text="ready" by="3"/>
        <Steps start="4">
            <Press key="R"/><Jump/><Hold key="W" seconds="1.5"/><Wait seconds="0"/>
            <WaitLog text="Level loaded: '$(CurrentLevel)Levels/Level_2.xml'"/>
            <Face yaw="90"/><Face to="1;2;3" pitch="-10" camera="Other" timeout="0.5"/>
            <Walk to="4;-5"/><Walk to="1;2;3" within="2" jump="true" walk="1" timeout="1"/>
            <Screenshot path="a.png"/><Dump path="b.txt"/>
        </Steps>
    </Capture>)xml"));
    EXPECT_EQ(script.GetTrace(), "/captures/room/out/trace.txt");
    EXPECT_EQ(script.GetStepsStart(), 4);
    const std::vector<Step>& steps = script.GetSteps();
    ASSERT_EQ(steps.size(), 11u);
    EXPECT_EQ(std::get<PressStep>(steps[0].action).scancode, SDL_SCANCODE_R);
    EXPECT_FALSE(steps[0].timeout.has_value());
    EXPECT_EQ(steps[1].element, "Jump");
    EXPECT_EQ(std::get<PressStep>(steps[1].action).scancode, SDL_SCANCODE_SPACE);
    EXPECT_DOUBLE_EQ(std::get<HoldStep>(steps[2].action).seconds, 1.5);
    EXPECT_DOUBLE_EQ(std::get<WaitStep>(steps[3].action).seconds, 0.0);
    // Log texts stay as written: no alias is expanded.
    EXPECT_EQ(std::get<WaitLogStep>(steps[4].action).text,
              "Level loaded: '$(CurrentLevel)Levels/Level_2.xml'");
    EXPECT_EQ(steps[4].timeout, 10.0);
    const auto& yaw = std::get<FaceStep>(steps[5].action);
    EXPECT_EQ(yaw.yaw, 90.0);
    EXPECT_FALSE(yaw.pitch.has_value());
    EXPECT_EQ(yaw.camera, "Camera_World");
    EXPECT_EQ(steps[5].timeout, 3.0);
    const auto& toward = std::get<FaceStep>(steps[6].action);
    EXPECT_EQ(toward.toward, glm::vec2(1.0f, 3.0f));
    EXPECT_EQ(toward.pitch, -10.0);
    EXPECT_EQ(toward.camera, "Other");
    EXPECT_EQ(steps[6].timeout, 0.5);
    const auto& walk = std::get<WalkStep>(steps[7].action);
    EXPECT_EQ(walk.to, glm::vec2(4.0f, -5.0f));
    EXPECT_DOUBLE_EQ(walk.within, 0.5);
    EXPECT_FALSE(walk.jump || walk.slowly);
    EXPECT_EQ(steps[7].timeout, 15.0);
    const auto& jumping = std::get<WalkStep>(steps[8].action);
    EXPECT_EQ(jumping.to, glm::vec2(1.0f, 3.0f));
    EXPECT_TRUE(jumping.jump && jumping.slowly);
    EXPECT_EQ(std::get<ScreenshotAction>(steps[9].action).path, "/captures/room/a.png");
    EXPECT_EQ(std::get<DumpAction>(steps[10].action).path, "/captures/room/b.txt");
    EXPECT_EQ(script.GetScreenshotCount(), 1u);

    ASSERT_EQ(script.GetLogExpectations().size(), 2u);
    EXPECT_EQ(script.GetLogExpectations()[0].by, 49);
    EXPECT_EQ(script.GetLogExpectations()[0].text, "Level loaded: $(X)");
    EXPECT_EQ(script.GetLogExpectations()[1].by, 3);
    EXPECT_EQ(script.GetWatchedLogTexts(),
              (std::vector<std::string>{"Level loaded: '$(CurrentLevel)Levels/Level_2.xml'",
                                        "Level loaded: $(X)", "ready"}));
}

TEST(CaptureScript, UnknownElementsWarnAndTheRestIsRead)
{
    Testing::LogCapture log;
    CaptureScript script;
    EXPECT_TRUE(
        Parse(script,
              R"(<Capture frames="2"><Wait/><Frame number="1"><Jump/><Key key="Space"/></Frame></Capture>)"));
    EXPECT_EQ(script.GetActions(1).size(), 1u);
    EXPECT_TRUE(log.Contains("Unknown parser element 'Wait'"));
    EXPECT_TRUE(log.Contains("Unknown parser element 'Jump'"));
}

TEST(CaptureScript, RefusesWhatCannotBeRunWithItsReason)
{
    const std::pair<const char*, const char*> cases[] = {
        {R"(<Capture frames="2"><Frame number="0"><Key key="Q"/><Key key="Menu"/></Frame></Capture>)",
         "Unknown key 'Menu'"},
        {R"(<Capture frames="2"><Frame number="0"><Key/></Frame></Capture>)", "Frame 0 <Key> needs 'key'"},
        {R"(<Capture frames="2"><Frame number="0"><Key key="W" down="yes"/></Frame></Capture>)",
         "Frame 0 <Key>: 'down' is 'yes', not true or false"},
        {R"(<Capture frames="2"><Frame number="0"><MouseButton button="6"/></Frame></Capture>)",
         "Unknown mouse button '6'"},
        {R"(<Capture frames="2"><Frame number="0"><MouseMotion x="3"/></Frame></Capture>)",
         "<MouseMotion> takes 'x' and 'y' together"},
        {R"(<Capture frames="2"><Frame number="0"><PadButton button="z"/></Frame></Capture>)",
         "Unknown pad button 'z'"},
        {R"(<Capture frames="2"><Frame number="0"><PadAxis axis="leftx" value="2"/></Frame></Capture>)",
         "'value' is '2', not a number from -1 to 1"},
        {R"(<Capture frames="2"><Frame number="0"><PadAxis axis="lefttrigger" value="-0.5"/></Frame></Capture>)",
         "'value' is '-0.5', not a number from 0 to 1"},
        {R"(<Capture frames="2"><Frame number="0"><Screenshot/></Frame></Capture>)",
         "Frame 0 <Screenshot> needs 'path'"},
        {R"(<Capture frames="2"><Frame number="1"><CopyFile from="a.png"/></Frame></Capture>)",
         "Frame 1 <CopyFile> needs 'to'"},
        {R"(<Capture frames="2"><Frame number="1"><CopyFile to="a.png"/></Frame></Capture>)",
         "Frame 1 <CopyFile> needs 'from'"},
        {R"(<Capture frames="2"><Frame time="0.04"/></Capture>)",
         "Frame at 0.04 s (frame 3) is past the capture's 2 frames"},
        {R"(<Capture frames="2"><Frame number="1" time="0"/></Capture>)",
         "<Frame> takes either 'number' or 'time'"},
        {R"(<Capture frames="2"><Frame number="-1"/></Capture>)",
         "'number' is '-1', not a whole number from 0"},
        {R"(<Capture frames="0"/>)", "'frames' is '0', not a whole number from 1"},
        {R"(<Capture frames="2 "/>)", "'frames' is '2 ', not a whole number"},
        {R"(<Capture frames="2" step="0"/>)", "'step' is '0', not a number from"},
        {R"(<Capture frames="2" step="nan"/>)", "'step' is 'nan', not a number from"},
        {R"(<Capture frames="2" draw="some"/>)", "'draw' is 'some', not all or screenshots"},
        {R"(<Capture frames="2" width="160"/>)", "<Capture> takes 'width' and 'height' together"},
        {R"(<Capture frames="2" seed="-3"/>)", "'seed' is '-3', not a whole number from 0 to 4294967295"},
        {R"(<Capture frames="2"><Steps><Wait seconds="1"/><Run/></Steps></Capture>)",
         "Step 2: unknown step <Run>"},
        {R"(<Capture frames="2"><Steps><Hold key="W"/></Steps></Capture>)", "Step 1 <Hold> needs 'seconds'"},
        {R"(<Capture frames="2"><Steps><Press key="Nope"/></Steps></Capture>)", "Unknown key 'Nope'"},
        {R"(<Capture frames="2"><Steps><Wait seconds="-1"/></Steps></Capture>)",
         "Step 1 <Wait>: 'seconds' is '-1', not a number from 0"},
        {R"(<Capture frames="2"><Steps><WaitLog text=""/></Steps></Capture>)",
         "Step 1 <WaitLog> needs 'text'"},
        {R"(<Capture frames="2"><Steps><WaitLog text="a" timeout="0"/></Steps></Capture>)",
         "'timeout' is '0', not a number from 0.001"},
        {R"(<Capture frames="2"><Steps><Face/></Steps></Capture>)", "<Face> takes either 'yaw' or 'to'"},
        {R"(<Capture frames="2"><Steps><Face yaw="0" pitch="90"/></Steps></Capture>)",
         "'pitch' is '90', not a number from -89 to 89"},
        {R"(<Capture frames="2"><Steps><Walk to="1;2;3;4"/></Steps></Capture>)",
         "Step 1 <Walk>: 'to' is '1;2;3;4', not a point x;y;z or x;z"},
        {R"(<Capture frames="2"><Steps><Walk to="1;;3"/></Steps></Capture>)", "'to' is '1;;3', not a point"},
        {R"(<Capture frames="2"><Steps><Face to="nan;1"/></Steps></Capture>)",
         "'to' is 'nan;1', not a point"},
        {R"(<Capture frames="2"><Steps><Walk to="1;2" within="0"/></Steps></Capture>)",
         "'within' is '0', not a number from 0.001"},
        {R"(<Capture frames="2"><Steps><Walk to="1;2" jump="yes"/></Steps></Capture>)",
         "'jump' is 'yes', not true or false"},
        {R"(<Capture frames="2"><Steps><Face yaw="0" camera=""/></Steps></Capture>)",
         "Step 1 <Face> needs 'camera'"},
        {R"(<Capture frames="2"><Steps start="2"/></Capture>)",
         "<Steps> starts at frame 2, past the capture's 2 frames"},
        {R"(<Capture frames="2"><Steps/><Steps/></Capture>)", "A capture takes one <Steps>"},
        {R"(<Capture frames="2"><ExpectLog text="a" by="2"/></Capture>)",
         "<ExpectLog> by frame 2 is past the capture's 2 frames"},
        {R"(<Capture frames="2"><ExpectLog by="1"/></Capture>)", "<ExpectLog> needs 'text'"},
    };
    for (const auto& [xml, message] : cases)
    {
        Testing::LogCapture log;
        CaptureScript script;
        EXPECT_FALSE(Parse(script, xml)) << xml;
        EXPECT_TRUE(log.Contains(message)) << message << "\n" << log.Text();
    }
}
} // namespace
} // namespace Morvane::Capture
