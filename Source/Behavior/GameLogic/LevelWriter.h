#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <span>
#include <string>

namespace Morvane
{
class IParserData;
}

// Edits the editor made since the level was loaded, by the index of the element among the level root's
// children.
struct LevelEdits
{
    std::map<std::size_t, std::map<std::string, std::string>> attributes; // attribute name -> new text
    std::set<std::size_t> deleted;

    bool Empty() const { return attributes.empty() && deleted.empty(); }
};

// Writes a level file back from the tree the loader read. Each tag keeps only what its rule reads, in
// one fixed order, with its text as the file had it unless an edit changed it; anything else is dropped
// with a warning, so a saved level says exactly what the game does with it.
class LevelWriter
{
public:
    // The level's text: `level` (the root the loader read) with `edits` applied.
    static std::string Write(const Morvane::IParserData& level, const LevelEdits& edits);
    // Writes Write(...) to `path` (unexpanded, as the game logic keeps it) through a temporary file beside
    // it and a rename: on any failure the old file stays whole and no temporary file is left. Logged.
    static bool Save(const std::string& path, const Morvane::IParserData& level, const LevelEdits& edits);
    // The shortest text from which the engine's number reading (atof, then float) gives back exactly
    // these floats, bit for bit, joined by ';'. Infinities are "inf" and "-inf"; a NaN is "nan" and reads
    // back as a NaN.
    static std::string FormatNumbers(std::span<const float> values);
};
