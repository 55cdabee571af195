#pragma once

#include "System/Pass/Command.h"

namespace Morvane::Graphics
{
class Shader;
} // namespace Morvane::Graphics

namespace Morvane::Graphics::Commands
{
// "DebugPass": the graphics system draws and empties its debug lists with "shader".
class DebugPass : public Command
{
public:
    bool Parse(const IParserData* data) override;
    void Execute() override;

private:
    Shader* m_shader = nullptr;
};
} // namespace Morvane::Graphics::Commands
