// The level editor in the real game: edit mode, flying, picking, dragging the handles, deleting,
// undoing and saving, through scripted keys and clicks.
#include "Support/GameCapture.h"
#include "Support/Golden.h"
#include "Support/LevelRun.h"

#include <cmath>
#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <string>

namespace Morvane
{
namespace
{
using Testing::At;
using Testing::DumpAt;
using Testing::Key;
using Testing::LevelRun;
using Testing::Press;
using Testing::WorldDump;

// The picking runs' window: large enough for a golden in which the debug shapes leave the scene readable.
const glm::ivec2 kWindow(480, 300);
constexpr float kWidth = 480.0f;
constexpr float kHeight = 300.0f;

// The editor and its pointer, which test runs leave out like the rest of the game's objects.
const char* const kEditorObjects = R"(<Object name="Cursor"><Transform scale="4;4;1"/>
        <Graphics renderable="Mesh_ScreenQuad" texture="Texture_White" renderSets="GUI"/></Object>
    <Object name="Editor"><Transform/>
        <Behavior type="BehaviorComponent_Editor" camera="Camera_Editor" behaviorSets="Main"/></Object>)";

std::string Level(const std::string& tags)
{
    return R"(<Level name="Test"><Sun pos="30;70;-140" fog="0.62;0.7;0.78" skyColor="0.53;0.74;0.92"
        ambient="0.3;0.3;0.35" fogAmount="0.01" attenuation="1;0.1;0.05"/>
        <Floor pos="0;-0.5;0" scale="20;1;20" color="0.45;0.5;0.45;1"/>)" +
           tags + "</Level>";
}

// Looking along -z, level, from above the floor: he falls until edit mode holds him.
const char* const kPlayer = R"(<Player pos="0;3;0" yaw="1.5708" pitch="-1.5708"/>)";
// Two boxes overlapping on the line of sight; the nearer one is smaller.
const char* const kWalls = R"(<Wall pos="0;1.5;-6" scale="2;2;2" color="0.8;0.3;0.3;1"/>
    <Wall pos="0;1.5;-6.5" scale="3;3;2" color="0.3;0.3;0.8;1"/>)";

std::string MouseTo(const glm::vec2& pixel)
{
    return "<MouseMotion x=\"" + std::to_string(static_cast<int>(std::lround(pixel.x))) + "\" y=\"" +
           std::to_string(static_cast<int>(std::lround(pixel.y))) + "\"/>";
}

std::string Button(bool down, int button = 1)
{
    return "<MouseButton button=\"" + std::to_string(button) + "\" down=\"" + (down ? "true" : "false") +
           "\"/>";
}

// A click on `frame` (pointer there first) released on the next frame.
std::string Click(int frame, const glm::vec2& pixel, int button = 1)
{
    return At(frame, MouseTo(pixel) + Button(true, button)) + At(frame + 1, Button(false, button));
}

// Where the world point shows in the test window through the dumped editor camera.
glm::vec2 OnScreen(const WorldDump& dump, const glm::vec3& point)
{
    const Testing::DumpedCamera& camera = dump.cameras.at("Camera_Editor");
    const glm::mat4 view = glm::lookAt(camera.position, camera.target, glm::vec3(0.0f, 1.0f, 0.0f));
    const glm::mat4 projection = glm::perspective(glm::radians(60.0f), kWidth / kHeight, 0.05f, 200.0f);
    const glm::vec4 clip = projection * view * glm::vec4(point, 1.0f);
    const glm::vec2 device = glm::vec2(clip) / clip.w;
    return {(device.x + 1.0f) * 0.5f * kWidth, (1.0f - device.y) * 0.5f * kHeight};
}

// The first object named `base` or `base_NNN` whose position is `position`; null if none.
const Testing::DumpedObject* FindAt(const WorldDump& dump, const std::string& base, const glm::vec3& position)
{
    for (const auto& [name, object] : dump.objects)
    {
        if (name.rfind(base, 0) == 0 && glm::length(object.position - position) < 1e-4f)
        {
            return &object;
        }
    }
    return nullptr;
}

TEST(EditorCapture, EditModeHoldsTheWorldAndFliesTwentyUnitsASecond)
{
    // 0.02 s steps: W held for 50 frames is one second.
    std::string events = Press(2, "F1") + DumpAt(4, "held.txt") + DumpAt(30, "still.txt");
    events += At(40, Key("W")) + DumpAt(39, "before.txt") + At(90, Key("W", false)) + DumpAt(90, "after.txt");
    events += Press(100, "F1") + DumpAt(130, "played.txt");
    const LevelRun run({{"Level_1.xml", Level(kPlayer)}}, events, 131, 0.02, "", kEditorObjects);
    const WorldDump held = run.Dump("held.txt");
    const WorldDump still = run.Dump("still.txt");
    const WorldDump played = run.Dump("played.txt");
    ASSERT_NE(held.FindNamed("Player"), nullptr) << run.Log();
    EXPECT_EQ(held.FindNamed("Player")->position, still.FindNamed("Player")->position);
    EXPECT_LT(played.FindNamed("Player")->position.y, still.FindNamed("Player")->position.y - 0.5f);
    EXPECT_TRUE(held.shown.at("Cursor"));
    EXPECT_TRUE(held.shown.at("ModeText"));
    EXPECT_EQ(held.captions.at("ModeText"), "Move");
    EXPECT_FALSE(played.shown.at("Cursor"));
    EXPECT_FALSE(played.shown.at("ModeText"));

    const glm::vec3 from = run.Dump("before.txt").cameras.at("Camera_Editor").position;
    const glm::vec3 to = run.Dump("after.txt").cameras.at("Camera_Editor").position;
    EXPECT_NEAR(glm::length(to - from), 20.0f, 1e-3f);
    EXPECT_NEAR(to.z - from.z, -20.0f, 1e-3f);
    // The world camera shows what the editor's sees.
    EXPECT_EQ(run.Dump("after.txt").cameras.at("Camera_World").position, to);
}

// Pixels per unit along `axis` at `point`, as the dumped editor camera shows them.
glm::vec2 PixelsPerUnit(const WorldDump& dump, const glm::vec3& point, const glm::vec3& axis)
{
    return OnScreen(dump, point + axis) - OnScreen(dump, point);
}

bool SameBoxes(const WorldDump& first, const WorldDump& second, const std::string& base)
{
    for (const auto& [name, object] : first.objects)
    {
        if (name.rfind(base, 0) != 0)
        {
            continue;
        }
        const Testing::DumpedObject* match = FindAt(second, base, object.position);
        if (match == nullptr || match->scale != object.scale)
        {
            return false;
        }
    }
    return first.CountNamed(base) == second.CountNamed(base);
}

TEST(EditorCapture, PicksTheNearerBoxDragsItsHandlesDeletesAndUndoesBackToTheStart)
{
    // A first run enters edit mode and dumps, to find the handles on screen; once the companion has
    // left the eye, which it starts on, so that the picture shows the walls.
    constexpr int kLater = 45;
    const std::string enter = Press(kLater + 2, "F1") + DumpAt(kLater + 5, "start.txt");
    const std::string level = Level(std::string(kPlayer) + kWalls);
    const LevelRun look({{"Level_1.xml", level}}, enter, kLater + 6, 0.02, "", kEditorObjects, kWindow);
    const WorldDump start = look.Dump("start.txt");
    ASSERT_EQ(start.CountNamed("Wall"), 2) << look.Log();
    ASSERT_TRUE(start.cameras.contains("Camera_Editor"));

    const glm::vec3 nearCentre(0.0f, 1.5f, -6.0f);
    const glm::vec3 farCentre(0.0f, 1.5f, -6.5f);
    const glm::vec3 xHandle = nearCentre + glm::vec3(1.5f, 0.0f, 0.0f);
    const glm::vec2 grab = glm::round(OnScreen(start, xHandle));
    const glm::vec2 dragTo = grab + glm::vec2(20.0f, 0.0f);
    const float shift = 20.0f / PixelsPerUnit(start, xHandle, glm::vec3(1.0f, 0.0f, 0.0f)).x;
    const glm::vec3 movedCentre = nearCentre + glm::vec3(shift, 0.0f, 0.0f);
    const glm::vec3 yHandle = movedCentre + glm::vec3(0.0f, 1.5f, 0.0f);
    const glm::vec2 yGrab = glm::round(OnScreen(start, yHandle));
    const float yPixels = -PixelsPerUnit(start, yHandle, glm::vec3(0.0f, 1.0f, 0.0f)).y;
    const glm::vec2 corner(2.0f, 2.0f);

    // Select the near wall through the far one's box and drag its x handle 20 pixels right.
    std::string events = enter + Click(kLater + 10, OnScreen(start, nearCentre));
    events += At(kLater + 14, MouseTo(grab) + Button(true)) + At(kLater + 16, MouseTo(dragTo)) +
              At(kLater + 18, Button(false));
    events += DumpAt(kLater + 19, "moved.txt") + Testing::ShotAt(kLater + 19, "editing.png");
    // Scale mode; its y handle 10 pixels up, then far down.
    events += Click(kLater + 22, corner, 3) + At(kLater + 24, MouseTo(yGrab) + Button(true)) +
              At(kLater + 26, MouseTo(yGrab - glm::vec2(0.0f, 10.0f))) + At(kLater + 28, Button(false)) +
              DumpAt(kLater + 29, "scaled.txt");
    const glm::vec2 tallHandle =
        glm::round(OnScreen(start, yHandle + glm::vec3(0.0f, 10.0f / yPixels, 0.0f)));
    events += At(kLater + 32, MouseTo(tallHandle) + Button(true)) +
              At(kLater + 34, MouseTo(glm::vec2(tallHandle.x, kHeight - 1.0f))) +
              At(kLater + 36, Button(false)) + DumpAt(kLater + 37, "shrunk.txt");
    // Empty sky clears the selection; then the far wall, clear of the near one, is picked and deleted.
    events += Click(kLater + 40, corner) +
              Click(kLater + 42, OnScreen(start, farCentre + glm::vec3(-1.2f, 1.2f, 1.0f)));
    events += Press(kLater + 44, "Delete") + DumpAt(kLater + 46, "deleted.txt");
    // Undo all four changes, and one more.
    events += At(kLater + 50, Key("Left Ctrl"));
    for (int undo = 0; undo < 5; ++undo)
    {
        events += Press(kLater + 51 + undo * 2, "Z");
    }
    events += At(kLater + 62, Key("Left Ctrl", false)) + DumpAt(kLater + 63, "undone.txt");
    const LevelRun run({{"Level_1.xml", level}}, events, kLater + 64, 0.02, "", kEditorObjects, kWindow);

    const WorldDump moved = run.Dump("moved.txt");
    ASSERT_TRUE(moved.objects.contains("Wall")) << run.Log();
    // The first wall of the file is the near one.
    const Testing::DumpedObject* near = &moved.objects.at("Wall");
    EXPECT_NEAR(near->position.x, shift, 0.05f);
    EXPECT_EQ(near->position.y, 1.5f);
    EXPECT_NE(FindAt(moved, "Wall", farCentre), nullptr) << "the far wall must stay";
    EXPECT_LE(glm::length(OnScreen(moved, near->position + glm::vec3(1.5f, 0.0f, 0.0f)) - dragTo), 1.0f);
    // The selection in yellow with its three handles, the physics shapes, the pointer and "Move".
    EXPECT_TRUE(Testing::MatchesGolden(run.Picture("editing.png"), "Behavior/Editor_Move.png"));

    const WorldDump scaled = run.Dump("scaled.txt");
    const Testing::DumpedObject& scaledWall = scaled.objects.at("Wall");
    EXPECT_EQ(scaledWall.position, near->position);
    EXPECT_NEAR(scaledWall.scale.y, 2.0f + 2.0f * 10.0f / yPixels, 0.05f);
    EXPECT_EQ(scaledWall.scale.x, 2.0f);
    EXPECT_EQ(scaled.halfExtents.at("Wall"), scaledWall.scale * 0.5f);

    const WorldDump shrunk = run.Dump("shrunk.txt");
    EXPECT_EQ(shrunk.objects.at("Wall").scale.y, 0.01f);
    EXPECT_EQ(shrunk.halfExtents.at("Wall").y, 0.005f);

    EXPECT_EQ(run.Dump("deleted.txt").CountNamed("Wall"), 1);
    EXPECT_EQ(FindAt(run.Dump("deleted.txt"), "Wall", farCentre), nullptr);

    const WorldDump undone = run.Dump("undone.txt");
    EXPECT_TRUE(SameBoxes(start, undone, "Wall")) << run.Log();
    EXPECT_NE(run.Log().find("Nothing to undo"), std::string::npos);
}
// The dump of a short run that enters edit mode: where things show on screen when editing starts.
WorldDump EditingStart(const std::string& level)
{
    const LevelRun look({{"Level_1.xml", level}}, Press(2, "F1") + DumpAt(5, "start.txt"), 6, 0.02, "",
                        kEditorObjects, kWindow);
    return look.Dump("start.txt");
}

// Selects the box at `centre` and drags its x handle (the box `size` across) by `pixels`, from `frame`
// on; six frames.
std::string DragAlongX(const WorldDump& start, int frame, const glm::vec3& centre, const glm::vec3& size,
                       float pixels)
{
    const glm::vec2 grab = glm::round(OnScreen(start, centre + glm::vec3(size.x * 0.5f + 0.5f, 0.0f, 0.0f)));
    return Click(frame, OnScreen(start, centre)) + At(frame + 2, MouseTo(grab) + Button(true)) +
           At(frame + 3, MouseTo(grab + glm::vec2(pixels, 0.0f))) + At(frame + 4, Button(false));
}

float UnitsFor(const WorldDump& start, const glm::vec3& handle, float pixels)
{
    return pixels / PixelsPerUnit(start, handle, glm::vec3(1.0f, 0.0f, 0.0f)).x;
}

TEST(EditorCapture, AMovedExitAndPlatformWorkWhereTheyWereMoved)
{
    const glm::vec3 door(3.0f, 1.5f, -6.0f);
    const glm::vec3 doorSize(2.0f, 3.0f, 0.5f);
    const glm::vec3 platform(-4.0f, 0.25f, -5.0f);
    const std::string level = Level(R"(<Player pos="0;1;0" yaw="1.5708" pitch="-1.5708"/>
        <Door pos="3;1.5;-6" scale="2;3;0.5" nextLevel="$(CurrentLevel)Levels/Level_2.xml"/>
        <MovingPlatform pos="-4;0.25;-5" scale="2;0.5;2" movementSpeed="1" A="-4;0.25;-6" B="-4;0.25;-4"/>)");
    const WorldDump start = EditingStart(level);
    ASSERT_TRUE(start.cameras.contains("Camera_Editor"));
    // The door to straight ahead, the platform 25 pixels right.
    const float doorPixels = std::round(
        -3.0f * PixelsPerUnit(start, door + glm::vec3(1.5f, 0.0f, 0.0f), glm::vec3(1.0f, 0.0f, 0.0f)).x);
    const float doorShift = UnitsFor(start, door + glm::vec3(1.5f, 0.0f, 0.0f), doorPixels);
    const float platformShift = UnitsFor(start, platform + glm::vec3(1.5f, 0.0f, 0.0f), 25.0f);
    std::string events = Press(2, "F1") + DragAlongX(start, 10, door, doorSize, doorPixels) +
                         DragAlongX(start, 20, platform, glm::vec3(2.0f), 25.0f) + DumpAt(28, "moved.txt");
    // Back to play: walk ahead into the door where it stands now.
    events += Press(30, "F1") + At(32, Key("W")) + DumpAt(100, "walked.txt");
    const LevelRun run({{"Level_1.xml", level}, {"Level_2.xml", Level(R"(<Player pos="0;1;0"/>)")}}, events,
                       170, 0.02, "", kEditorObjects, kWindow);
    const WorldDump moved = run.Dump("moved.txt");
    ASSERT_TRUE(moved.objects.contains("Door")) << run.Log();
    EXPECT_NEAR(moved.objects.at("Door").position.x, door.x + doorShift, 0.05f);
    // The exit trigger went with its door.
    EXPECT_EQ(moved.objects.at("Trigger").position, moved.objects.at("Door").position);
    // The platform shuttles about its new place in play.
    const WorldDump walked = run.Dump("walked.txt");
    EXPECT_NEAR(walked.objects.at("MovingPlatform").position.x, platform.x + platformShift, 0.05f);
    EXPECT_NE(run.Log().find("Level loaded: '$(CurrentLevel)Levels/Level_2.xml'"), std::string::npos)
        << run.Log();
}
int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
    {
        ++count;
    }
    return count;
}

const char* const kLevelLoaded = "Level loaded: '$(CurrentLevel)Levels/Level_1.xml'";

TEST(EditorCapture, CtrlSSavesTheEditsAndTheSavedLevelLoadsToTheSameObjects)
{
    const std::string level = Level(std::string(kPlayer) + kWalls);
    const WorldDump start = EditingStart(level);
    ASSERT_TRUE(start.cameras.contains("Camera_Editor"));
    const glm::vec3 nearCentre(0.0f, 1.5f, -6.0f);
    const glm::vec3 farCorner(-1.2f, 2.7f, -5.5f);
    std::string events = Press(2, "F1") + DragAlongX(start, 10, nearCentre, glm::vec3(2.0f), 20.0f);
    events += Click(20, OnScreen(start, farCorner)) + Press(22, "Delete");
    events += At(24, Key("Left Ctrl")) + Press(25, "S") + At(27, Key("Left Ctrl", false)) +
              DumpAt(28, "edited.txt");
    // Its own save is no change on disk to reload.
    events += Press(30, "F9");
    const LevelRun run({{"Level_1.xml", level}}, events, 33, 0.02, "", kEditorObjects, kWindow);
    EXPECT_NE(run.Log().find("Level saved: '$(CurrentLevel)Levels/Level_1.xml'"), std::string::npos)
        << run.Log();
    EXPECT_EQ(Occurrences(run.Log(), kLevelLoaded), 1);

    const std::string saved = Testing::ReadText(run.Path() + "Levels/Level_1.xml");
    EXPECT_EQ(Occurrences(saved, "<Wall"), 1) << saved;
    EXPECT_EQ(Occurrences(saved, "scale=\"2;2;2\""), 1) << saved;
    EXPECT_EQ(Occurrences(saved, "pos=\"0;1.5;-6\""), 0) << saved;

    const WorldDump edited = run.Dump("edited.txt");
    const LevelRun reload({{"Level_1.xml", saved}}, DumpAt(1, "loaded.txt"), 2, 0.02, "", kEditorObjects);
    const WorldDump loaded = reload.Dump("loaded.txt");
    EXPECT_TRUE(SameBoxes(edited, loaded, "Wall")) << reload.Log();
    EXPECT_TRUE(SameBoxes(edited, loaded, "Floor"));
}

// What a level file rewritten on disk adds.
const char* const kThirdWall = R"(<Wall pos="5;1.5;-8" scale="1;3;1" color="0.3;0.8;0.3;1"/>)";

TEST(EditorCapture, F9ReloadsALevelChangedOnDiskKeepsABrokenOneOutAndNeverDropsUnsavedEdits)
{
    const std::string level = Level(std::string(kPlayer) + kWalls);
    const std::string changed = Level(std::string(kPlayer) + kWalls + kThirdWall);
    const WorldDump start = EditingStart(level);
    ASSERT_TRUE(start.cameras.contains("Camera_Editor"));
    const auto copy = [](const std::string& from)
    { return "<CopyFile from=\"Levels/" + from + "\" to=\"Levels/Level_1.xml\"/>"; };
    std::string events =
        At(3, copy("Empty.xml") + Key("F9")) + At(4, Key("F9", false)) + DumpAt(4, "broken.txt");
    events += At(6, copy("Changed.xml") + Key("F9")) + At(7, Key("F9", false)) + DumpAt(8, "changed.txt");
    events +=
        Press(10, "F1") + Click(14, OnScreen(start, glm::vec3(0.0f, 1.5f, -6.0f))) + Press(17, "Delete");
    events += At(21, copy("Original.xml") + Key("F9")) + At(22, Key("F9", false)) + DumpAt(23, "kept.txt");
    const LevelRun run(
        {{"Level_1.xml", level}, {"Empty.xml", ""}, {"Changed.xml", changed}, {"Original.xml", level}},
        events, 24, 0.02, "", kEditorObjects, kWindow);
    EXPECT_EQ(run.Dump("broken.txt").CountNamed("Wall"), 2) << run.Log();
    EXPECT_NE(run.Log().find("Could not load level '$(CurrentLevel)Levels/Level_1.xml'"), std::string::npos);
    EXPECT_EQ(run.Dump("changed.txt").CountNamed("Wall"), 3);
    EXPECT_EQ(Occurrences(run.Log(), kLevelLoaded), 2);
    EXPECT_EQ(run.Dump("kept.txt").CountNamed("Wall"), 2);
    EXPECT_NE(run.Log().find("Level '$(CurrentLevel)Levels/Level_1.xml' changed on disk; unsaved edits kept"),
              std::string::npos);
}

TEST(EditorCapture, ADeleteInTheFrameTheLevelReloadsTouchesNeitherLevel)
{
    const std::string level = Level(std::string(kPlayer) + kWalls);
    const std::string changed = Level(std::string(kPlayer) + kWalls + kThirdWall);
    const WorldDump start = EditingStart(level);
    ASSERT_TRUE(start.cameras.contains("Camera_Editor"));
    const glm::vec2 nearWall = OnScreen(start, glm::vec3(0.0f, 1.5f, -6.0f));
    // The near wall picked, then the file rewritten, F9, a click on the same place and Delete in one frame.
    std::string events = Press(2, "F1") + Click(6, nearWall);
    events += At(10, "<CopyFile from=\"Levels/Changed.xml\" to=\"Levels/Level_1.xml\"/>" + Key("F9") +
                         Key("Delete") + MouseTo(nearWall) + Button(true));
    events += At(11, Key("F9", false) + Key("Delete", false) + Button(false));
    events +=
        At(14, Key("Left Ctrl")) + Press(15, "S") + At(17, Key("Left Ctrl", false)) + DumpAt(18, "after.txt");
    const LevelRun run({{"Level_1.xml", level}, {"Changed.xml", changed}}, events, 19, 0.02, "",
                       kEditorObjects, kWindow);
    // The new level's near wall went (the reload's objects are picked in that frame), and the save says
    // exactly what is left of the new level.
    const WorldDump after = run.Dump("after.txt");
    EXPECT_EQ(after.CountNamed("Wall"), 2) << run.Log();
    EXPECT_EQ(FindAt(after, "Wall", glm::vec3(0.0f, 1.5f, -6.0f)), nullptr);
    const std::string saved = Testing::ReadText(run.Path() + "Levels/Level_1.xml");
    EXPECT_EQ(Occurrences(saved, "<Wall"), 2);
    EXPECT_EQ(Occurrences(saved, "pos=\"5;1.5;-8\""), 1) << saved;
}
} // namespace
} // namespace Morvane
