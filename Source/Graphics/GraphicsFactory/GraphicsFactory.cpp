#include "Graphics/GraphicsFactory/GraphicsFactory.h"

#include "Graphics/AmbientOcclusionGraphics/AmbientOcclusionGraphics.h"
#include "Graphics/DepthOfFieldGraphics/DepthOfFieldGraphics.h"
#include "Graphics/EdgeDetectionGraphics/EdgeDetectionGraphics.h"
#include "Graphics/FxaaGraphics/FxaaGraphics.h"
#include "Graphics/GaussGraphics/GaussGraphics.h"
#include "Graphics/LightScattererGraphics/LightScattererGraphics.h"
#include "Graphics/LightingDirectionalGraphics/LightingDirectionalGraphics.h"
#include "Graphics/LightingPointGraphics/LightingPointGraphics.h"
#include "Graphics/OculusGraphics/OculusGraphics.h"
#include "Graphics/ParticleGraphics/ParticleGraphics.h"
#include "Graphics/SimpleBlurGraphics/SimpleBlurGraphics.h"
#include "Graphics/TextGraphics/TextGraphics.h"
#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <string>
#include <unordered_map>

using namespace Morvane;

namespace
{
const char* const kChannel = "Custom graphics factory";

using Creator = Graphics::Component* (*)(Game::Object* owner);

template <class Kind> Graphics::Component* Create(Game::Object* owner)
{
    return new Kind(owner);
}

// One entry per graphics kind that data may name.
const std::unordered_map<std::string, Creator> kGraphicsTypes = {
    {"GraphicsComponent_AmbientOcclusion", &Create<AmbientOcclusionGraphics>},
    {"GraphicsComponent_DepthOfField", &Create<DepthOfFieldGraphics>},
    {"GraphicsComponent_DirectionalLight", &Create<LightingDirectionalGraphics>},
    {"GraphicsComponent_EdgeDetection", &Create<EdgeDetectionGraphics>},
    {"GraphicsComponent_Fxaa", &Create<FxaaGraphics>},
    {"GraphicsComponent_Gauss", &Create<GaussGraphics>},
    {"GraphicsComponent_LightScattering", &Create<LightScattererGraphics>},
    {"GraphicsComponent_Oculus", &Create<OculusGraphics>},
    {"GraphicsComponent_Particle", &Create<ParticleGraphics>},
    {"GraphicsComponent_PointLight", &Create<LightingPointGraphics>},
    {"GraphicsComponent_SimpleBlur", &Create<SimpleBlurGraphics>},
    {"GraphicsComponent_Text", &Create<TextGraphics>},
};
} // namespace

Graphics::Component* CreateCustomGraphicsComponent(Game::Object* owner, const IParserData* element)
{
    const std::string type = element != nullptr ? element->GetAttribute("type", "") : "";
    const auto found = kGraphicsTypes.find(type);
    if (found == kGraphicsTypes.end())
    {
        Log::Error(kChannel, Format("Unrecognized graphics component type '%s'", type.c_str()));
        return nullptr;
    }
    return found->second(owner);
}
