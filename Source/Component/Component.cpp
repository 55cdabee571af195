#include "Component/Component.h"

#include "Component/Object.h"
#include "Parsing/IParserData.h"
#include "System/Assert/Assertion.h"

namespace Morvane::Game
{
bool Component::Parse(const IParserData* data)
{
    m_id = data->GetAttribute("id", "");
    return true;
}

const std::string& Component::GetOwnerName() const
{
    MORVANE_ASSERT_NAMED(m_parentObject != nullptr, "m_parentObject", __LINE__);
    return m_parentObject->GetName();
}
} // namespace Morvane::Game
