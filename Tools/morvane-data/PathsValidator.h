#pragma once

#include "IValidator.h"

namespace MorvaneData
{
// A file of path aliases: its root is a "Paths". The engine reads it as the game would.
class PathsValidator : public IValidator
{
public:
    bool Handles(const Morvane::IParserData& root) const override;
    bool Validate(Morvane::IParserData& root, const std::string& path) override;
};
} // namespace MorvaneData
