#pragma once

#include "System/Pass/Command.h"

namespace Morvane::Graphics
{
class FrameBuffer;
} // namespace Morvane::Graphics

namespace Morvane::Graphics::Commands
{
// "SetFrameBuffer": binds the named frame buffer (its handle read when the command runs, so a
// rebuilt one is followed), or the window's.
class SetFrameBuffer : public Command
{
public:
    bool Parse(const IParserData* data) override;
    void Execute() override;

private:
    FrameBuffer* m_frameBuffer = nullptr;
    unsigned m_target = 0;
};
} // namespace Morvane::Graphics::Commands
