#include "System/Pass/Pass.h"

#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/Pass/CommandTable.h"
#include "System/Pass/Render.h"

namespace Morvane::Graphics
{
namespace
{
const char* const kChannel = "Graphics Render Pass";
} // namespace

bool Pass::Parse(const IParserData* data)
{
    m_name = data->GetAttribute("name", "");
    enabled = data->GetAttributeBool("enabled", true);
    for (const IParserData* child = data->GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        if (child->GetName() == "Command")
        {
            AddCommand(*child);
        }
        else
        {
            Log::Warning(kChannel, Format("Unknown parser element '%s'", child->GetName().c_str()));
        }
    }
    return true;
}

void Pass::AddCommand(const IParserData& element)
{
    const std::string type = element.GetAttribute("type", "");
    if (type.empty())
    {
        Log::Warning(kChannel, "No command type");
        return;
    }
    const CommandKind* kind = FindCommandKind(type);
    if (kind == nullptr)
    {
        Log::Warning(kChannel, Format("Unknown command type '%s'", type.c_str()));
        return;
    }
    std::unique_ptr<Command> command = kind->create();
    command->SetType(kind->type);
    if (!command->Parse(&element))
    {
        Log::Error(kChannel, Format("Could not initialize the command '%s'", kind->className));
        return;
    }
    m_commands.push_back(std::move(command));
}

void Pass::Execute()
{
    for (const std::unique_ptr<Command>& command : m_commands)
    {
        command->Execute();
    }
}

bool Pass::SetRenderShader(const std::string& shader)
{
    Shader* const program = Resources::System::GetInstance().GetResource<Shader>(shader);
    if (program == nullptr)
    {
        Log::Error(Format("Pass '%s'", m_name.c_str()),
                   Format("Could not set the render shader '%s'", shader.c_str()));
        return false;
    }
    bool all = true;
    for (const std::unique_ptr<Command>& command : m_commands)
    {
        if (auto* render = dynamic_cast<Commands::Render*>(command.get()); render != nullptr)
        {
            all = render->SetShader(program) && all;
        }
    }
    return all;
}
} // namespace Morvane::Graphics
