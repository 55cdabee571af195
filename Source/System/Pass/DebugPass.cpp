#include "System/Pass/DebugPass.h"

#include "Graphics/GraphicsSystem.h"
#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

namespace Morvane::Graphics::Commands
{
bool DebugPass::Parse(const IParserData* data)
{
    const std::string name = data->GetAttribute("shader", "");
    m_shader = Resources::System::GetInstance().GetResource<Shader>(name);
    if (m_shader == nullptr)
    {
        Log::Error("DebugPass command", Format("Could not get render shader '%s'", name.c_str()));
        return false;
    }
    return true;
}

void DebugPass::Execute()
{
    // A shader still loading draws nothing; the lists are emptied after the frame all the same.
    if (m_shader->IsInitialized())
    {
        System::GetInstance().DrawDebugShapes(m_shader);
    }
}
} // namespace Morvane::Graphics::Commands
