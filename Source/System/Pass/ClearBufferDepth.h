#pragma once

#include "System/Pass/Command.h"

namespace Morvane::Graphics::Commands
{
// "ClearDepthBuffer": clears depth to "depth", whatever the depth write mask is.
class ClearBufferDepth : public Command
{
public:
    bool Parse(const IParserData* data) override;
    void Execute() override;

private:
    double m_depth = 1.0;
};
} // namespace Morvane::Graphics::Commands
