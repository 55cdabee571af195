#include "Behavior/RenderController/RenderController.h"

#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Graphics/LightingDirectionalGraphics/LightingDirectionalGraphics.h"
#include "Graphics/LightingPointGraphics/LightingPointGraphics.h"
#include "Graphics/RenderQuality/RenderQuality.h"
#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/Pass/ClearBufferColor.h"
#include "System/Pass/Pass.h"
#include "Texture/Texture.h"

#include <cmath>

using namespace Morvane;

namespace
{
const char* const kStandardPasses[] = {"ConditionalPass_StandardRender", "ConditionalPass_PostStandard",
                                       "ConditionalPass_LightScattering_Normal"};
const char* const kOculusPasses[] = {"ConditionalPass_OculusRender", "ConditionalPass_PostOculus",
                                     "ConditionalPass_OculusDeformative",
                                     "ConditionalPass_LightScattering_Oculus"};

// How much of the sky's colour the light shafts gather: the full colour would lay a bright veil of rays
// over the whole picture.
constexpr float kSkyScattering = 0.25f;

struct GraphicsGroup
{
    std::vector<const char*> objects;
    const char* missing;
};

Graphics::Component* GraphicsOf(const std::string& objectName)
{
    const Game::Object* object = Game::System::GetInstance().GetObject(objectName);
    return object != nullptr ? object->GetComponent<Graphics::Component>() : nullptr;
}

template <class Kind> Kind* FirstOf(const std::string& objectName)
{
    const Game::Object* object = Game::System::GetInstance().GetObject(objectName);
    if (object == nullptr)
    {
        return nullptr;
    }
    for (Game::Component* component : object->GetComponents())
    {
        if (auto* found = dynamic_cast<Kind*>(component))
        {
            return found;
        }
    }
    return nullptr;
}

// All of a group's graphics, or none (logged) when one of them is missing: the group's steps are
// then skipped.
std::vector<Graphics::Component*> FindGroup(const GraphicsGroup& group)
{
    std::vector<Graphics::Component*> found;
    for (const char* name : group.objects)
    {
        Graphics::Component* graphics = GraphicsOf(name);
        if (graphics == nullptr)
        {
            Log::Error(RenderController::kChannel, group.missing);
            return {};
        }
        found.push_back(graphics);
    }
    return found;
}

void Show(const std::vector<Graphics::Component*>& graphics, bool visible)
{
    for (Graphics::Component* component : graphics)
    {
        component->SetVisible(visible);
    }
}

Graphics::Texture* TextureNamed(const char* name)
{
    return Resources::System::GetInstance().GetResource<Graphics::Texture>(name);
}
} // namespace

RenderController* RenderController::Find()
{
    const Game::Object* object = Game::System::GetInstance().GetObject(kObjectName);
    return object != nullptr ? object->GetComponent<RenderController>() : nullptr;
}

bool RenderController::Save(IParserData* data)
{
    data->AddChild("Behavior")->SetAttribute("type", "BehaviorComponent_RenderController");
    return true;
}

bool RenderController::Initialize()
{
    const std::vector<Graphics::Component*> dof = FindGroup({{"dof0"}, "Could not get DOF graphics"});
    m_dofGraphics = dof.empty() ? nullptr : dof.front();
    m_resultGraphics = FirstOf<LightingDirectionalGraphics>("result");
    if (m_resultGraphics == nullptr)
    {
        Log::Error(kChannel, "Could not get result graphics");
    }
    m_lightScatteringGraphics =
        FindGroup({{"lscl", "lscr", "lsc_f"}, "Could not get light scattering graphics"});
    m_bloomGraphics = FindGroup({{"bloom0", "bloom1", "bloom2", "bloom3"}, "Could not get bloom graphics"});
    m_ssaoGraphics = FindGroup({{"ssao0", "ssao1", "ssao2"}, "Could not get ssao graphics"});
    m_initialized = true;
    ApplyNow(m_pending.value_or(RenderSettings::GetInstance()));
    m_pending.reset();
    return true;
}

void RenderController::Apply(const RenderSettings& settings)
{
    if (!m_initialized)
    {
        m_pending = settings;
        return;
    }
    ApplyNow(settings);
}

void RenderController::ApplyNow(const RenderSettings& settings)
{
    EnablePass("ConditionalPass_Dof", settings.depthOfField);
    if (m_dofGraphics != nullptr)
    {
        m_dofGraphics->SetVisible(settings.depthOfField);
    }

    EnablePass("ConditionalPass_AmbientOcclusion", settings.ambientOcclusion);
    Show(m_ssaoGraphics, settings.ambientOcclusion);
    if (m_resultGraphics != nullptr)
    {
        m_resultGraphics->SetAmbientTerm(
            TextureNamed(settings.ambientOcclusion ? "SSAO_OcclusionTextureBlur" : "Texture_Null"));
    }

    ApplyLighting(settings);

    EnablePass("ConditionalPass_Bloom", settings.bloom);
    Show(m_bloomGraphics, settings.bloom);
    if (!m_lightScatteringGraphics.empty())
    {
        m_lightScatteringGraphics[0]->SetVisible(settings.headMountedDisplay);
        m_lightScatteringGraphics[1]->SetVisible(settings.headMountedDisplay);
        m_lightScatteringGraphics[2]->SetVisible(!settings.headMountedDisplay);
    }

    for (const char* pass : kStandardPasses)
    {
        EnablePass(pass, !settings.headMountedDisplay);
    }
    for (const char* pass : kOculusPasses)
    {
        EnablePass(pass, settings.headMountedDisplay);
    }
    // Both display modes march their rays over this pass's picture of the sky.
    if (Graphics::Pass* init = FindPass("LightScattering_Init", true))
    {
        init->enabled = true;
        for (const auto& command : init->GetCommands())
        {
            if (auto* clear = dynamic_cast<Graphics::Commands::ClearBufferColor*>(command.get()))
            {
                clear->SetColor({settings.skyColor * kSkyScattering, clear->GetColor().a});
            }
        }
    }

    ApplyQuality(settings.renderQuality);

    if (Graphics::Pass* viewport = FindPass("Viewport_pass", true))
    {
        viewport->SetRenderShader(settings.fxaa ? "Shader_Fxaa" : "Shader_DiffuseTexture");
    }

    Graphics::System::GetInstance().SetVSync(settings.verticalSync);
}

void RenderController::ApplyLighting(const RenderSettings& settings) const
{
    if (m_resultGraphics != nullptr)
    {
        m_resultGraphics->SetFogColor(settings.fogColor);
        m_resultGraphics->SetFogAmount(settings.fogAmount);
        m_resultGraphics->SetAmbientColor(settings.ambientColor);
    }
    // Looked up each time: a configuration may have no point light at all.
    if (auto* pointLight = FirstOf<LightingPointGraphics>("Pointlight"))
    {
        pointLight->SetAttenuation(settings.attenuation);
    }
}

void RenderController::ApplyQuality(float quality) const
{
    if (!(std::isfinite(quality) && quality > 0.0f))
    {
        Log::Warning(kChannel,
                     Format("Render quality %g is not usable: using 1", static_cast<double>(quality)));
        quality = 1.0f;
    }
    ApplyRenderQuality(quality);
}

Graphics::Pass* RenderController::FindPass(const std::string& name, bool wanted)
{
    Graphics::Pass* pass = Graphics::System::GetInstance().GetPass(name);
    // A pass that is to stay off may well be absent from a configuration.
    if (pass == nullptr && wanted && m_missingPasses.insert(name).second)
    {
        Log::Warning(kChannel, Format("There is no pass '%s'", name.c_str()));
    }
    return pass;
}

void RenderController::EnablePass(const std::string& name, bool enabled)
{
    if (Graphics::Pass* pass = FindPass(name, enabled))
    {
        pass->enabled = enabled;
    }
}
