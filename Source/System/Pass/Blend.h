#pragma once

#include "System/Pass/Command.h"

namespace Morvane::Graphics::Commands
{
// "Blend": blending on or off, with separate colour and alpha equations and factors.
class Blend : public Command
{
public:
    bool Parse(const IParserData* data) override;
    void Execute() override;

private:
    bool m_enabled = true;
    unsigned m_equationRgb = 0;
    unsigned m_equationAlpha = 0;
    unsigned m_sourceRgb = 0;
    unsigned m_destinationRgb = 0;
    unsigned m_sourceAlpha = 0;
    unsigned m_destinationAlpha = 0;
};
} // namespace Morvane::Graphics::Commands
