#include "Capture/CaptureScript.h"
#include "Capture/InputRecorder.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Support/SdlEvents.h"
#include "Window/WindowSystem.h"

#include <gtest/gtest.h>
#include <optional>

namespace Morvane::Capture
{
namespace
{
using namespace Testing;

// What the window pumps is written under the frame that pumped it, in a script the harness reads back.
TEST(InputRecorder, RecordsPumpedInputPerFrameAsACaptureScriptThatReadsBack)
{
    PrepareVideoForTests();
    Window::System& window = Window::System::GetInstance();
    ASSERT_TRUE(window.Initialize());
    std::optional<std::string> text;
    {
        const ScriptedInputOnly scripted;
        InputRecorder recorder;
        PushKey(SDL_SCANCODE_W, true);
        PushMouseMotion(5, 6, 5, 6);
        PushMouseMotion(9, 4, 4, -2);
        PushMouseButton(SDL_BUTTON_LEFT, true);
        window.Update(InputRecorder::kStep);
        recorder.AfterFrame();
        recorder.AfterFrame();
        PushKey(SDL_SCANCODE_MENU, true); // no key of the game's: a replay would refuse it
        PushKey(SDL_SCANCODE_W, false);
        window.Update(InputRecorder::kStep);
        recorder.AfterFrame();
        text = recorder.ToText();
    }
    window.Release();

    XMLParserData root;
    ASSERT_TRUE(root.FromString(*text)) << *text;
    CaptureScript script;
    ASSERT_TRUE(script.Parse(root, "/")) << *text;
    EXPECT_EQ(script.GetFrameCount(), 3);
    EXPECT_FLOAT_EQ(script.GetStep(), 0.016f);
    const std::vector<Action>& first = script.GetActions(0);
    ASSERT_EQ(first.size(), 3u) << *text;
    EXPECT_EQ(std::get<KeyAction>(first[0]).scancode, SDL_SCANCODE_W);
    EXPECT_TRUE(std::get<KeyAction>(first[0]).down);
    const auto& motion = std::get<MouseMotionAction>(first[1]);
    EXPECT_EQ(motion.dx, 9);
    EXPECT_EQ(motion.dy, 4);
    EXPECT_EQ(motion.x, 9);
    EXPECT_EQ(motion.y, 4);
    EXPECT_EQ(std::get<MouseButtonAction>(first[2]).button, SDL_BUTTON_LEFT);
    EXPECT_TRUE(script.GetActions(1).empty());
    ASSERT_EQ(script.GetActions(2).size(), 1u) << *text;
    EXPECT_FALSE(std::get<KeyAction>(script.GetActions(2)[0]).down);
}
} // namespace
} // namespace Morvane::Capture
