#pragma once

#include <string>

namespace Morvane
{
class IParserData;
namespace Graphics
{
class Texture;
}
} // namespace Morvane

// The G-buffer a deferred light reads, named by its description: the ambient term, the diffuse
// colours, the view-space normals and the view-space positions (alpha 1 where there is geometry).
struct DeferredTextures
{
    // Looks the four texture resources up in that order; the first missing one is logged on `channel`
    // and fails.
    bool Parse(const Morvane::IParserData& data, const std::string& channel);
    // Writes the four names back onto `data`.
    void Save(Morvane::IParserData& data) const;

    Morvane::Graphics::Texture* ambientTerm = nullptr;
    Morvane::Graphics::Texture* diffuse = nullptr;
    Morvane::Graphics::Texture* normals = nullptr;
    Morvane::Graphics::Texture* positions = nullptr;
};
