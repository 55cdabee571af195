#pragma once

#include "System/Pass/Command.h"

namespace Morvane::Graphics::Commands
{
// "Depth": the depth test on or off with its function; the depth write mask either way.
class Depth : public Command
{
public:
    bool Parse(const IParserData* data) override;
    void Execute() override;

private:
    bool m_enabled = true;
    bool m_write = true;
    unsigned m_function = 0;
};
} // namespace Morvane::Graphics::Commands
