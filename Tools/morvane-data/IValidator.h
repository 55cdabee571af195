#pragma once

#include <string>

namespace Morvane
{
class IParserData;
}

namespace MorvaneData
{
// Checks one kind of data file beyond its XML. Each validator says which roots it understands;
// problems go to the engine's log.
class IValidator
{
public:
    virtual ~IValidator() = default;
    virtual bool Handles(const Morvane::IParserData& root) const = 0;
    // False when the file would not work in the game.
    virtual bool Validate(Morvane::IParserData& root, const std::string& path) = 0;
};
} // namespace MorvaneData
