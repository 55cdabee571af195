#include "Graphics/GraphicsComponent.h"

#include "Component/Object.h"
#include "Component/TransformComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/MeshBounds.h"
#include "Parsing/IParserData.h"
#include "Parsing/ParserDataUtilities/ParserDataUtilities.h"
#include "Renderable/Mesh.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Shader/UniformFeeder.h"
#include "System/Assert/Assertion.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/StringUtilities/StringUtilities.h"
#include "Texture/Texture.h"

#include <algorithm>
#include <cmath>

namespace Morvane::Graphics
{
std::string Component::Channel() const
{
    return Format("%s/Graphics", m_parentObject != nullptr ? GetOwnerName().c_str() : "");
}

bool Component::Fail(const std::string& message) const
{
    Log::Error(Channel(), message);
    return false;
}

bool Component::Parse(const IParserData* data)
{
    Game::Component::Parse(data);
    const std::string renderable = data->GetAttribute("renderable", "");
    const std::string texture = data->GetAttribute("texture", "");
    const std::string shader = data->GetAttribute("shader", "");
    m_textureScale = ParserDataUtilities::GetAttributeVec2(*data, "textureScale", glm::vec2(1.0f));
    m_textureOffset = ParserDataUtilities::GetAttributeVec2(*data, "textureOffset", glm::vec2(0.0f));
    m_visible = data->GetAttributeBool("visible", true);
    m_diffuseColor = ParserDataUtilities::GetAttributeVec4(*data, "diffuseColor", glm::vec4(1.0f));

    Resources::System& resources = Resources::System::GetInstance();
    if (!texture.empty())
    {
        m_texture = resources.GetResource<Texture>(texture);
        if (m_texture == nullptr)
        {
            return Fail(Format("Could not get the texture '%s'", texture.c_str()));
        }
    }
    Mesh* mesh = resources.GetResource<Mesh>(renderable);
    if (mesh == nullptr)
    {
        return Fail(Format("Could not get the renderable '%s'", renderable.c_str()));
    }
    SetRenderable(mesh);
    JoinRenderSets(*data);
    m_transformComponent =
        m_parentObject != nullptr ? m_parentObject->GetComponent<Game::TransformComponent>() : nullptr;
    if (m_transformComponent == nullptr)
    {
        return Fail("Could not get transform component");
    }
    if (!shader.empty())
    {
        m_preferredShader = resources.GetResource<Shader>(shader);
        if (m_preferredShader == nullptr)
        {
            return Fail("Could not get preferred shader");
        }
    }
    return true;
}

void Component::JoinRenderSets(const IParserData& data)
{
    System& graphics = System::GetInstance();
    if (data.HasAttribute("renderSets"))
    {
        for (const std::string& set : StringUtilities::Split(data.GetAttribute("renderSets", ""), ';'))
        {
            graphics.AddToRenderSet(this, set);
        }
    }
    for (const IParserData* child = data.GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        if (child->GetName() == "RenderSet")
        {
            graphics.AddToRenderSet(this, child->GetAttribute("set", ""));
        }
        else
        {
            Log::Warning(Channel(), Format("Unknown parser element '%s'", child->GetName().c_str()));
        }
    }
}

bool Component::Save(IParserData* data)
{
    SaveElement(data);
    return true;
}

IParserData* Component::SaveElement(IParserData* data)
{
    IParserData* element = data->AddChild("Graphics");
    // The colour is written whole: a faded object keeps its alpha.
    ParserDataUtilities::SetAttributeVector(*element, "diffuseColor", m_diffuseColor);
    element->SetAttribute("renderable", m_mesh != nullptr ? m_mesh->GetName() : "");
    element->SetAttribute("texture", m_texture != nullptr ? m_texture->GetName() : "");
    element->SetAttributeBool("visible", m_visible);
    std::string sets;
    for (const std::string& name : System::GetInstance().GetRenderSetsOf(this))
    {
        sets += (sets.empty() ? "" : ";") + name;
    }
    element->SetAttribute("renderSets", sets);
    return element;
}

void Component::Clone(Game::Component* destination)
{
    auto* other = dynamic_cast<Component*>(destination);
    if (other == nullptr)
    {
        Log::Error(Channel(), "Tried to clone incorrect types");
        return;
    }
    other->m_texture = m_texture;
    other->m_preferredShader = m_preferredShader;
    other->SetRenderable(m_renderable);
    other->m_textureOffset = m_textureOffset;
    other->m_textureScale = m_textureScale;
    other->m_diffuseColor = m_diffuseColor;
    other->m_visible = m_visible;
}

void Component::SetRenderable(IRenderable* renderable)
{
    m_renderable = renderable;
    m_mesh = dynamic_cast<Mesh*>(renderable);
    m_meshRadius.reset();
}

void Component::SetTexture(const std::string& name)
{
    Texture* texture = Resources::System::GetInstance().GetResource<Texture>(name);
    if (texture == nullptr)
    {
        Log::Error(Channel(), Format("Could not find texture '%s'", name.c_str()));
        return;
    }
    m_texture = texture;
}

void Component::SetUniforms(Shader* shader, Camera* camera)
{
    DrawValues values;
    if (m_transformComponent != nullptr)
    {
        values.world = &m_transformComponent->GetWorldMatrix();
    }
    values.texture = m_texture;
    values.colour = m_diffuseColor;
    values.textureOffset = m_textureOffset;
    values.textureScale = m_textureScale;
    System::GetInstance().GetUniformFeeder().Feed(*shader, *camera, values,
                                                  [this](Camera& current, const UniformDefinition& uniform)
                                                  { SetCustomUniform(&current, uniform); });
}

void Component::Draw(Shader* shader, Camera* camera)
{
    MORVANE_ASSERT_NAMED(m_renderable != nullptr, "m_renderable", __LINE__);
    SetUniforms(shader, camera);
    m_renderable->Draw();
}

bool Component::IsReady() const
{
    const auto ready = [](const Resources::Resource* resource)
    { return resource == nullptr || resource->IsInitialized(); };
    return ready(m_mesh) && ready(m_texture) && ready(m_preferredShader);
}

float Component::GetCullingRadius()
{
    MORVANE_ASSERT_NAMED(m_transformComponent != nullptr, "transform", __LINE__);
    const glm::vec3 scale = glm::abs(m_transformComponent->GetScale());
    const float largest = std::max({scale.x, scale.y, scale.z});
    if (m_mesh != nullptr && !m_meshRadius && m_mesh->IsInitialized())
    {
        m_meshRadius = BoundingRadius(*m_mesh);
    }
    // Never smaller than the box of the largest scale factor, which holds unit meshes.
    return largest * std::max(1.0f, m_meshRadius.value_or(1.0f));
}
} // namespace Morvane::Graphics
