#pragma once

#include "Parsing/IParseable.h"

#include <string>

namespace Morvane::Graphics
{
// One step of a render pass. Parse resolves everything the command refers to, so that a command that
// reaches Execute has what it needs; a failed Parse drops the command.
class Command : public IParseable
{
public:
    // Commands are data only: nothing is written.
    bool Save(IParserData*) override { return true; }
    virtual void Execute() = 0;
    // The "type" attribute that creates this class.
    const std::string& GetType() const { return m_type; }
    void SetType(const std::string& type) { m_type = type; }

private:
    std::string m_type;
};
} // namespace Morvane::Graphics
