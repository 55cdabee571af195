#include "System/Pass/Viewport.h"

#include "Graphics/Camera.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/OpenGL.h"
#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "Texture/Texture.h"

namespace Morvane::Graphics::Commands
{
bool Viewport::Parse(const IParserData* data)
{
    m_startX = data->GetAttributeInt("startX", 0);
    m_startY = data->GetAttributeInt("startY", 0);
    m_width = data->GetAttributeInt("width", 320);
    m_height = data->GetAttributeInt("height", 320);
    m_camera = System::GetInstance().GetCamera(data->GetAttribute("camera", ""));
    const std::string texture = data->GetAttribute("texture", "");
    if (!texture.empty())
    {
        m_texture = Resources::System::GetInstance().GetResource<Texture>(texture);
        if (m_texture == nullptr)
        {
            Log::Error("Viewport command", Format("Could not get relative texture '%s'", texture.c_str()));
            return false;
        }
    }
    return true;
}

void Viewport::Execute()
{
    int width = m_width;
    int height = m_height;
    if (m_texture != nullptr)
    {
        width = static_cast<int>(m_texture->GetWidth());
        height = static_cast<int>(m_texture->GetHeight());
    }
    else if (m_camera != nullptr)
    {
        width = static_cast<int>(m_camera->GetViewportSize().x);
        height = static_cast<int>(m_camera->GetViewportSize().y);
    }
    glViewport(m_startX, m_startY, width, height);
}
} // namespace Morvane::Graphics::Commands
