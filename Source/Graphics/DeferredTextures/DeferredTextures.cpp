#include "Graphics/DeferredTextures/DeferredTextures.h"

#include "Parsing/IParserData.h"
#include "Resources/ResourceSystem.h"
#include "System/Logging/LoggingSystem.h"
#include "Texture/Texture.h"

using namespace Morvane;

namespace
{
struct TextureAttribute
{
    const char* attribute;
    Graphics::Texture* DeferredTextures::*field;
    const char* missing;
};

// In the order they are looked up.
const TextureAttribute kAttributes[] = {
    {"ambientTerm", &DeferredTextures::ambientTerm, "Could not get ambient term"},
    {"deferredDiffuse", &DeferredTextures::diffuse, "Could not get deferred diffuse"},
    {"deferredNormals", &DeferredTextures::normals, "Could not get deferred normals"},
    {"deferredPositions", &DeferredTextures::positions, "Could not get deferred positions"},
};
} // namespace

bool DeferredTextures::Parse(const IParserData& data, const std::string& channel)
{
    Resources::System& resources = Resources::System::GetInstance();
    for (const TextureAttribute& texture : kAttributes)
    {
        this->*texture.field =
            resources.GetResource<Graphics::Texture>(data.GetAttribute(texture.attribute, ""));
        if (this->*texture.field == nullptr)
        {
            Log::Error(channel, texture.missing);
            return false;
        }
    }
    return true;
}

void DeferredTextures::Save(IParserData& data) const
{
    for (const TextureAttribute& texture : kAttributes)
    {
        if (const Graphics::Texture* value = this->*texture.field; value != nullptr)
        {
            data.SetAttribute(texture.attribute, value->GetName());
        }
    }
}
