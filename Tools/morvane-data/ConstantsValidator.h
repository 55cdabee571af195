#pragma once

#include "IValidator.h"

namespace MorvaneData
{
// A constants file: its root is a "Context". The engine reads it as the game would, and every value
// that is not a plain decimal number (the engine reads "0x1F" as 0) is reported.
class ConstantsValidator : public IValidator
{
public:
    bool Handles(const Morvane::IParserData& root) const override;
    bool Validate(Morvane::IParserData& root, const std::string& path) override;
};
} // namespace MorvaneData
