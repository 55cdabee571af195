#pragma once

#include "Parsing/IParserData.h"

#include <map>
#include <memory>
#include <string>
#include <utility>

namespace MorvaneData
{
// The archetypes of one game system's folder, read through the engine's file parser as the game system
// reads them, each file once.
class ArchetypeLibrary
{
public:
    // `folder` as the game system's "archetypesFolder" names it, aliases unexpanded.
    explicit ArchetypeLibrary(std::string folder) : m_folder(std::move(folder)) {}

    // The file the game reads `archetype` from.
    std::string PathOf(const std::string& archetype) const;
    // The archetype's tree, or null when it cannot be read (the file parser logs why).
    const Morvane::IParserData* Find(const std::string& archetype);

private:
    std::string m_folder;
    // Null for a file that could not be read, so that it is reported by the parser only once.
    std::map<std::string, std::unique_ptr<Morvane::IParserData>> m_read;
};
} // namespace MorvaneData
