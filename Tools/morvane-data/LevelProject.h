#pragma once

#include "ArchetypeLibrary.h"

#include <optional>
#include <string>

namespace MorvaneData
{
// The data a level is played with. Its data folder is the level's own folder or the nearest one above
// it that holds Configuration/ProjectConfiguration.xml; the game runs with that folder as
// $(LocalFolder), and the project configuration gives the other path aliases and, through the game
// system's data, the archetypes folder.
class LevelProject
{
public:
    // The data folder of the level at `levelPath`, ending with '/'; empty when there is none.
    static std::string FindDataFolder(const std::string& levelPath);

    explicit LevelProject(std::string dataFolder) : m_dataFolder(std::move(dataFolder)) {}

    // Sets the engine's path aliases as the game would and finds the archetypes; false (logged) when
    // the project configuration cannot be read.
    bool Load();

    const std::string& GetDataFolder() const { return m_dataFolder; }
    // Only after a successful Load.
    ArchetypeLibrary& GetArchetypes() { return *m_archetypes; }

private:
    std::string m_dataFolder;
    std::optional<ArchetypeLibrary> m_archetypes;
};
} // namespace MorvaneData
