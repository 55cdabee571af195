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
    ASSERT_EQ(actions.size(), 9u);
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
