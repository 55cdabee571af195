#pragma once

#include "Support/GameCapture.h"
#include "Support/LogCapture.h"
#include "Support/TempDirectory.h"
#include "Texture/ImageComparison.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <map>
#include <string>

namespace Morvane::Testing
{
std::string ReadText(const std::string& path);
std::string DumpAt(int frame, const std::string& name);
std::string ShotAt(int frame, const std::string& name);
// The player of a dump; a new level's player is made while the last one is still there, so it may
// carry a number. Far away when there is none.
glm::vec3 PlayerPosition(const WorldDump& dump);

// The project's configuration with the levels of `levels` (Levels/<name>) as "$(CurrentLevel)", starting
// at Level_1.xml, run through `brimora --capture` for `frames` frames of `step` seconds with the script's
// `events`, in a 160 x 100 window (or `windowSize`) drawing only screenshot frames. `gameObjects` adds
// "Object" elements to the game's own (the music and the game logic).
class LevelRun
{
public:
    LevelRun(const std::map<std::string, std::string>& levels, const std::string& events, int frames,
             double step = 0.016, const std::string& captureAttributes = "",
             const std::string& gameObjects = "", const glm::ivec2& windowSize = {160, 100});

    WorldDump Dump(const std::string& name) const { return ReadWorldDump(m_folder.Path() + name); }
    Texture::RgbImage Picture(const std::string& name) const;
    const std::string& Log() const { return m_log; }
    std::string Path() const { return m_folder.Path(); }

private:
    TempDirectory m_folder;
    std::string m_log;
};
} // namespace Morvane::Testing
