#pragma once

#include "Parsing/IParserData.h"
#include "SystemManager/ISystem.h"

#include <functional>
#include <string>
#include <vector>

namespace Morvane::Testing
{
// An engine system that writes every call it receives into a shared journal.
class RecordingSystem : public ISystem
{
public:
    RecordingSystem(std::string name, std::vector<std::string>& journal)
        : m_name(std::move(name)), m_journal(journal)
    {
    }

    bool Initialize() override
    {
        m_journal.push_back(m_name + ".Initialize");
        return initializeResult;
    }

    void Update(const float& dt) override
    {
        m_journal.push_back(m_name + ".Update");
        steps.push_back(dt);
        if (onUpdate)
        {
            onUpdate();
        }
    }

    void Release() override { m_journal.push_back(m_name + ".Release"); }

    bool Parse(IParserData* data) override
    {
        m_journal.push_back(m_name + ".Parse:" + data->GetAttribute("tag", ""));
        return parseResult;
    }

    bool initializeResult = true;
    bool parseResult = true;
    std::vector<float> steps;
    std::function<void()> onUpdate;

private:
    std::string m_name;
    std::vector<std::string>& m_journal;
};
} // namespace Morvane::Testing
