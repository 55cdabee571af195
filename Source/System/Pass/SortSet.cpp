#include "System/Pass/SortSet.h"

#include "Component/TransformComponent.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <cmath>
#include <limits>
#include <utility>

namespace Morvane::Graphics::Commands
{
namespace
{
// (unordered, z): a strict weak order even with NaN positions, which go last.
std::pair<bool, float> SortKey(const Component* component)
{
    const Game::TransformComponent* transform = component->GetTransform();
    const float z =
        transform != nullptr ? transform->GetPosition().z : std::numeric_limits<float>::quiet_NaN();
    return std::isnan(z) ? std::pair{true, 0.0f} : std::pair{false, z};
}
} // namespace

bool SortSet::Parse(const IParserData* data)
{
    m_set = data->GetAttribute("set", "");
    const std::string camera = data->GetAttribute("referenceCamera", "");
    if (System::GetInstance().GetCamera(camera) == nullptr)
    {
        Log::Error("SortSet command", Format("Could not get camera '%s'", camera.c_str()));
        return false;
    }
    return true;
}

void SortSet::Execute()
{
    System::GetInstance().SortRenderSet(m_set, [](const Component* first, const Component* second)
                                        { return SortKey(first) < SortKey(second); });
}
} // namespace Morvane::Graphics::Commands
