#include "Support/LevelRun.h"

#include "Support/ToolRun.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace Morvane::Testing
{
std::string ReadText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

LevelRun::LevelRun(const std::map<std::string, std::string>& levels, const std::string& events, int frames,
                   double step, const std::string& captureAttributes, const std::string& gameObjects,
                   const glm::ivec2& windowSize)
{
    for (const auto& [name, text] : levels)
    {
        m_folder.Write("Levels/" + name, text);
    }
    std::string configuration =
        ReadText(std::string(MORVANE_GAME_DATA_FOLDER) + "Configuration/Level_Test.xml");
    const auto replace = [&configuration](const std::string& from, const std::string& to)
    {
        const std::size_t at = configuration.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        configuration.replace(at, from.size(), to);
    };
    replace(R"x(<Path alias="CurrentLevel" path="$(LocalFolder)"/>)x",
            "<Path alias=\"CurrentLevel\" path=\"" + m_folder.Path() + "\"/>");
    replace(
        R"x(<GameSystem path="$(ConfigurationFolder)Levels/Game.xml"/>)x",
        R"(<GameSystem path="$(ConfigurationFolder)Renderer.xml"><Objects archetypesFolder="$(DataFolder)Archetypes">
                <Object name="BackgroundMusic"><Transform/><Audio volume="0.6"/></Object>
                <Object name="GameLogic"><Transform/><Behavior type="BehaviorComponent_GameLogic"
                    level="$(CurrentLevel)Levels/Level_1.xml" behaviorSets="Main"/></Object>)" +
            gameObjects + "</Objects></GameSystem>");
    m_folder.Write("Game.xml", configuration);
    std::ostringstream script;
    script << "<Capture frames=\"" << frames << "\" step=\"" << step << "\" width=\"" << windowSize.x
           << "\" height=\"" << windowSize.y << "\" draw=\"screenshots\" configuration=\"Game.xml\" "
           << captureAttributes << ">" << events << "</Capture>";
    const ToolResult result = RunGame("--capture " + m_folder.Write("run.xml", script.str()));
    EXPECT_EQ(result.exitCode, 0) << result.output;
    m_log = result.output;
}

Texture::RgbImage LevelRun::Picture(const std::string& name) const
{
    Texture::RgbImage image;
    std::string error;
    EXPECT_TRUE(Texture::ReadRgbPng(m_folder.Path() + name, image, error)) << error;
    return image;
}

std::string DumpAt(int frame, const std::string& name)
{
    return At(frame, "<Dump path=\"" + name + "\"/>");
}

std::string ShotAt(int frame, const std::string& name)
{
    return At(frame, "<Screenshot path=\"" + name + "\"/>");
}

glm::vec3 PlayerPosition(const WorldDump& dump)
{
    // A new level's player is made while the last one is still there: it may carry a number.
    const DumpedObject* player = dump.FindNamed("Player");
    return player == nullptr ? glm::vec3(1e9f) : player->position;
}
} // namespace Morvane::Testing
