#pragma once

#include "System/Pass/Command.h"

#include <string>

namespace Morvane::Graphics::Commands
{
// "SortSet": orders a render set by the z of each component's position, ascending and stable; positions
// that are not numbers, and components without a transform, go last.
class SortSet : public Command
{
public:
    bool Parse(const IParserData* data) override;
    void Execute() override;

private:
    std::string m_set;
};
} // namespace Morvane::Graphics::Commands
