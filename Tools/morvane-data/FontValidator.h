#pragma once

#include "IValidator.h"

namespace MorvaneData
{
// A bitmap-font description: its root is a "font". Read as the engine reads it, then checked for what
// the engine takes on trust: every page decodes, and every glyph lies inside its page.
class FontValidator : public IValidator
{
public:
    bool Handles(const Morvane::IParserData& root) const override;
    bool Validate(Morvane::IParserData& root, const std::string& path) override;
};
} // namespace MorvaneData
