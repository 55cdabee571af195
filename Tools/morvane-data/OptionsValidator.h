#pragma once

#include "IValidator.h"

namespace MorvaneData
{
// The player's options file: its root is an "Options". Read by the game's own options reader; each
// problem it would warn about fails the file, as "file: message".
class OptionsValidator : public IValidator
{
public:
    bool Handles(const Morvane::IParserData& root) const override;
    bool Validate(Morvane::IParserData& root, const std::string& path) override;
};
} // namespace MorvaneData
