#pragma once

#include "Parsing/IParseable.h"
#include "System/Pass/Command.h"

#include <memory>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
// A named, ordered list of commands; game code switches passes on and off by name between frames.
class Pass : public IParseable
{
public:
    // Reads "name", "enabled" and one command per "Command" child; a command that cannot be created
    // or parsed is logged and left out, never failing the pass.
    bool Parse(const IParserData* data) override;
    bool Save(IParserData*) override { return true; }
    // Runs every command in order.
    void Execute();

    const std::string& GetName() const { return m_name; }
    const std::vector<std::unique_ptr<Command>>& GetCommands() const { return m_commands; }
    // Every "Render" command of the pass draws with the shader resource `shader` from the next frame on
    // (FXAA on or off for the picture on the window). False, logged, for an unknown shader or one a
    // command refuses; the commands that took it keep it.
    bool SetRenderShader(const std::string& shader);

    bool enabled = true;

private:
    void AddCommand(const IParserData& element);

    std::vector<std::unique_ptr<Command>> m_commands;
    std::string m_name = "UNUNITIALIZED";
};
} // namespace Morvane::Graphics
