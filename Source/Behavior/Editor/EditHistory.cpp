#include "Behavior/Editor/EditHistory.h"

void EditHistory::Push(Change change)
{
    if (m_changes.size() == kCapacity)
    {
        m_changes.pop_front();
    }
    m_changes.push_back(std::move(change));
}

std::optional<EditHistory::Change> EditHistory::Pop()
{
    if (m_changes.empty())
    {
        return std::nullopt;
    }
    Change change = std::move(m_changes.back());
    m_changes.pop_back();
    return change;
}

void EditHistory::Rename(const std::string& oldName, const std::string& newName)
{
    for (Change& change : m_changes)
    {
        if (change.objectName == oldName)
        {
            change.objectName = newName;
        }
    }
}
