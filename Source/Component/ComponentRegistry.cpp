#include "Component/ComponentRegistry.h"

#include <algorithm>
#include <cctype>

namespace Morvane::Game
{
namespace
{
std::string ToLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char character) { return static_cast<char>(std::tolower(character)); });
    return text;
}
} // namespace

ComponentRegistry& ComponentRegistry::GetInstance()
{
    static ComponentRegistry instance;
    return instance;
}

// The kinds that object descriptions name, in the order they are tested; their systems fill in the
// operations when they come up.
ComponentRegistry::ComponentRegistry()
    : m_kinds{{"Graphics", "graphics"}, {"Behavior", "behavior"}, {"Physics", "physics"}, {"Audio", "audio"}}
{
}

void ComponentRegistry::Register(const std::string& elementName, CreateFunction create,
                                 DeleteFunction destroy, KindTest isKind)
{
    auto found = std::find_if(m_kinds.begin(), m_kinds.end(),
                              [&](const Kind& kind) { return kind.elementName == elementName; });
    if (found == m_kinds.end())
    {
        found = m_kinds.insert(m_kinds.end(), Kind{elementName, ToLower(elementName)});
    }
    found->create = create;
    found->destroy = destroy;
    found->isKind = isKind;
}

const ComponentRegistry::Kind* ComponentRegistry::FindByElement(const std::string& elementName) const
{
    const auto found = std::find_if(m_kinds.begin(), m_kinds.end(),
                                    [&](const Kind& kind) { return kind.elementName == elementName; });
    return found == m_kinds.end() ? nullptr : &*found;
}

const ComponentRegistry::Kind* ComponentRegistry::FindByComponent(const Component* component) const
{
    const auto found =
        std::find_if(m_kinds.begin(), m_kinds.end(),
                     [&](const Kind& kind) { return kind.isKind != nullptr && kind.isKind(component); });
    return found == m_kinds.end() ? nullptr : &*found;
}
} // namespace Morvane::Game
