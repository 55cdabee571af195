#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace
{
using Morvane::Testing::ToolResult;
using testing::HasSubstr;

const char* const kBox = R"(<Object><Transform/><Graphics/><Physics shape="AABB"/></Object>)";

const std::pair<const char*, const char*> kArchetypes[] = {
    {"Player.xml", R"(<Object><Transform/><Physics shape="AABB"/>
        <Behavior type="BehaviorComponent_CharacterController"/></Object>)"},
    {"Door.xml", kBox},
    {"Wall.xml", kBox},
    {"Floor.xml", kBox},
    {"Decorable.xml", "<Object><Transform/><Graphics/></Object>"},
    {"Button.xml", R"(<Object><Transform/><Physics shape="AABB"/><Behavior type="BehaviorComponent_Button"/>
        <Behavior type="BehaviorComponent_FloatingObject"/></Object>)"},
    {"Activatable.xml",
     R"(<Object><Transform/><Physics shape="AABB"/><Behavior type="BehaviorComponent_Door"/>
        </Object>)"},
    {"MovingPlatform.xml", R"(<Object><Transform/><Physics shape="AABB"/>
        <Behavior type="BehaviorComponent_MovingPlatform"/></Object>)"},
    {"FloatingObject.xml",
     R"(<Object><Transform/><Behavior type="BehaviorComponent_FloatingObject"/></Object>)"},
    {"WorldText.xml", R"(<Object><Transform/><Graphics type="GraphicsComponent_Text"/></Object>)"},
    {"AudioInstance.xml", "<Object><Transform/><Audio/></Object>"},
    {"Trigger.xml", R"(<Object><Transform/><Physics shape="AABB"/><Behavior type="BehaviorComponent_Trigger"/>
        </Object>)"},
    {"Bare.xml", "<Object><Transform/></Object>"},
    {"Hull.xml", R"(<Object><Transform/><Physics shape="ConvexPolyhedra"/></Object>)"},
};

// A project laid out as the game's data: the configuration's game system file names the archetypes
// folder through the configuration's aliases, and a door may lead to Level_2.
class LevelCheck : public testing::Test
{
protected:
    LevelCheck()
    {
        m_folder.Write("Data/Configuration/ProjectConfiguration.xml", R"xml(<ProjectConfiguration><Paths>
            <Path alias="ConfigurationFolder" path="$(LocalFolder)Configuration/"/>
            <Path alias="CurrentLevel" path="$(LocalFolder)"/></Paths>
            <GameSystem path="$(ConfigurationFolder)Game.xml"/></ProjectConfiguration>)xml");
        m_folder.Write("Data/Configuration/Game.xml",
                       R"(<GameSystem><Objects archetypesFolder="$(LocalFolder)Archetypes"/></GameSystem>)");
        for (const auto& [name, text] : kArchetypes)
        {
            m_folder.Write(std::string("Data/Archetypes/") + name, text);
        }
        m_folder.Write("Data/Levels/Level_2.xml", "<Level/>");
    }

    // "<Level>" on line 1, then one element a line from line 2.
    std::string WriteLevel(const std::string& name, const std::vector<std::string>& elements) const
    {
        std::string text = "<Level>\n";
        for (const std::string& element : elements)
        {
            text += element + "\n";
        }
        return m_folder.Write("Data/Levels/" + name, text + "</Level>\n");
    }

    static ToolResult Check(const std::string& files)
    {
        return Morvane::Testing::RunTool("morvane-data", "check " + files, "2>&1");
    }

    const Morvane::Testing::TempDirectory m_folder;
};

TEST_F(LevelCheck, ASoundLevelWithEveryTagPassesWithoutWarnings)
{
    const std::string level = WriteLevel(
        "Sound.xml",
        {R"(<Sun pos="0;50;0" fog="1;1;1" sunColor="1;1;1;1" fogAmount="0.1" attenuation="1;0.1;0.05"/>)",
         R"(<CustomLoad id="Level_1.xml"/>)", R"(<Skybox texture="Texture_Sky"/>)",
         R"(<Player pos="0;1;0" yaw="1.5" pitch="-1.5" rotation="0;1;0;90"><Tip pos="0;1;-5"/></Player>)",
         R"(<Floor pos="0;-0.5;0" scale="10;1;10" color="0.5;0.5;0.5;1"/>)",
         R"(<Wall pos="5;2;0" scale="1;4;10"/>)", R"(<Decorable pos="1;1;1" color="1;0;0;1"/>)",
         R"(<Button pos="2;0;2" activate="Gate"/>)", R"(<Activatable activatableName="Gate" scale="4;5;1"/>)",
         R"(<MovingPlatform A="0;0;0" B="0;5;0" movementSpeed="2"/>)",
         R"(<FloatingObject pivot="0;2;0" frecuency="0;1;0" amplitude="0;0.5;0" rotationSpeed="0;0;0"/>)",
         R"(<WorldText caption="Hi" textureSize="512;64" fontSize="48"/>)",
         R"(<Audio sound="Sound_Wind" volume="0.5" minDistance="1" maxDistance="20" playLoop="true"/>)",
         R"(<Trigger pos="0;1;0" scale="2;2;2" event="Guide"/>)",
         // One ';' after the last number, as the engine saves vectors.
         R"(<Door pos="1;2;3;" nextLevel="$(CurrentLevel)Levels/Level_2.xml"/>)"});
    const ToolResult result = Check("'" + level + "'");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_THAT(result.output, HasSubstr("Sound.xml: OK"));
    EXPECT_THAT(result.output, testing::Not(HasSubstr("warning:"))) << result.output;
}

TEST_F(LevelCheck, ErrorsNameTheElementsLineAndFailTheLevel)
{
    const std::string level = WriteLevel(
        "Broken.xml",
        {R"(<Player pos="0;1;0"><Tip pos="0;1"/><Tip pos="1;1;1" size="2"/></Player>)",
         R"(<Wal pos="0;0;0"/>)", R"(<Wall sacle="1;1;1"/>)",
         R"(<Floor pos="0;nan;0" scale="1;x;1" rotation="0;1;0"/>)", R"(<Wall archetype="Missing.xml"/>)",
         R"(<Decorable archetype="Bare.xml" color="1;0;0;1"/>)", R"(<Floor archetype="Hull.xml"/>)",
         R"(<Button archetype="Bare.xml" activate="Late"/>)", R"(<WorldText archetype="Decorable.xml"/>)",
         R"(<Audio archetype="Bare.xml" volume="1e99"/>)", R"(<Activatable activatableName="Early"/>)",
         R"(<Button activate="Early"/>)", R"(<Button activate="Nobody"/>)", R"(<Button/>)",
         R"(<Activatable activatableName="Late"/>)", R"(<Door/>)",
         R"(<Door nextLevel="$(CurrentLevel)Levels/Level_9.xml"/>)", R"(<Player/>)"});
    const ToolResult result = Check("'" + level + "'");
    EXPECT_EQ(result.exitCode, 1) << result.output;
    const std::string data = m_folder.Path() + "Data/";
    for (const std::string& expected : std::vector<std::string>{
             ":2: 'pos' of 'Tip' is '0;1': 2 numbers where it needs 3",
             ":2: 'Tip' does not read attribute 'size'",
             ":3: unknown tag 'Wal'",
             ":4: 'Wall' does not read attribute 'sacle'",
             ":5: 'pos' of 'Floor' is '0;nan;0': 'nan' is not a finite number",
             ":5: 'scale' of 'Floor' is '1;x;1': 'x' is not a number",
             ":5: 'rotation' of 'Floor' is '0;1;0': 3 numbers where it needs 4",
             ":6: archetype 'Missing.xml' of 'Wall' cannot be read ('" + data + "Archetypes/Missing.xml')",
             ":7: archetype 'Bare.xml' of 'Decorable' has no <Graphics> for its 'color'",
             ":8: archetype 'Hull.xml' of 'Floor' has no <Physics shape=\"AABB\"> for its box",
             ":9: archetype 'Bare.xml' of 'Button' has no <Behavior type=\"BehaviorComponent_Button\">",
             ":9: archetype 'Bare.xml' of 'Button' has no <Behavior "
             "type=\"BehaviorComponent_FloatingObject\">",
             ":10: archetype 'Decorable.xml' of 'WorldText' has no <Graphics "
             "type=\"GraphicsComponent_Text\">",
             ":11: archetype 'Bare.xml' of 'Audio' has no <Audio>",
             ":11: 'volume' of 'Audio' is '1e99': '1e99' is not a finite number",
             ":13: 'Button' activates 'Early', which only an earlier 'Activatable' names (line 12): buttons "
             "reach "
             "later ones only",
             ":14: 'Button' activates 'Nobody', which no later 'Activatable' names",
             ":15: 'Button' has no 'activate'",
             ":17: 'Door' has no 'nextLevel'",
             ":18: 'Door' leads to '$(CurrentLevel)Levels/Level_9.xml', which does not exist ('" + data +
                 "Levels/Level_9.xml')",
             ":19: a second 'Player' (the first is on line 2): a level has exactly one"})
    {
        EXPECT_THAT(result.output, HasSubstr(level + expected));
    }
    EXPECT_THAT(result.output, HasSubstr("Broken.xml: FAILED"));
    EXPECT_THAT(result.output, testing::Not(HasSubstr("Late'"))) << "a button reaches a later activatable";
    EXPECT_THAT(result.output, testing::Not(HasSubstr("no exit")));
}

TEST_F(LevelCheck, WarningsDoNotFailTheLevel)
{
    const std::string door = R"(<Door nextLevel="$(CurrentLevel)Levels/Level_2.xml"/>)";
    const std::string level = WriteLevel(
        "Odd.xml", {R"(<Player/>)", R"(<Sun pos="0;50;0"/>)", R"(<CustomLoad id="Level_7.xml"/>)",
                    R"(<Trigger event="Hint"/>)", R"(<Activatable activatableName="Gate"/>)",
                    R"(<Activatable activatableName="Gate"/>)", R"(<MovingPlatform A="1;2;3" B="1;2;3"/>)",
                    R"(<Wall scale="1;0;1"/>)", door, door});
    const ToolResult result = Check("'" + level + "'");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    for (const std::string& expected : std::vector<std::string>{
             ":3: warning: 'Sun' has no 'attenuation', which is then 0;0;0",
             ":4: warning: 'CustomLoad' id 'Level_7.xml' is none of 'Level_1.xml' to 'Level_6.xml': it loads "
             "nothing",
             ":5: warning: 'Trigger' event 'Hint' is none of 'Level5_BadEnding', 'Level6_GoodEnding', "
             "'Guide'",
             ":7: warning: 'Activatable' name 'Gate' is also on line 6",
             ":8: warning: 'MovingPlatform' has A equal to B: it never moves",
             ":9: warning: 'Wall' scale '1;0;1' is not positive in every component: its box is empty or "
             "inside out",
             ":11: warning: a second 'Door' (the first is on line 10): every door leads to the last one's "
             "'nextLevel'"})
    {
        EXPECT_THAT(result.output, HasSubstr(level + expected));
    }
    EXPECT_THAT(result.output, HasSubstr("Odd.xml: OK"));
}

// An ending trigger is an exit as a door is; a level needs a player, and a project to be checked in.
TEST_F(LevelCheck, TheWholeLevelNeedsAPlayerAnExitAndAProject)
{
    const std::string empty = WriteLevel("Empty.xml", {R"(<Sun attenuation="1;1;1"/>)"});
    const std::string ending =
        WriteLevel("Ending.xml", {"<Player/>", R"(<Trigger event="Level5_BadEnding"/>)"});
    const Morvane::Testing::TempDirectory elsewhere;
    const std::string alone = elsewhere.Write("Level.xml", "<Level/>");
    const ToolResult result = Check("'" + empty + "' '" + ending + "' '" + alone + "'");
    EXPECT_EQ(result.exitCode, 1);
    for (const std::string& expected : std::vector<std::string>{
             empty + ":1: the level has no 'Player'",
             empty + ":1: the level has no exit: no 'Door' with a 'nextLevel' and no 'Trigger' with event "
                     "'Level5_BadEnding' or 'Level6_GoodEnding'",
             "Ending.xml: OK",
             alone + ": no Configuration/ProjectConfiguration.xml in the level's folder or above it",
             "3 files checked, 2 failed"})
    {
        EXPECT_THAT(result.output, HasSubstr(expected));
    }
}
} // namespace
