#pragma once

#include "System/Pass/Command.h"

namespace Morvane::Graphics::Commands
{
// "CullFace": face culling on or off, and which faces.
class CullFace : public Command
{
public:
    bool Parse(const IParserData* data) override;
    void Execute() override;

private:
    bool m_enabled = true;
    unsigned m_mode = 0;
};
} // namespace Morvane::Graphics::Commands
