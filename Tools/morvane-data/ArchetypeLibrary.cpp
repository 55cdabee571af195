#include "ArchetypeLibrary.h"

#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "System/PathWrapper/PathWrapper.h"

namespace MorvaneData
{
std::string ArchetypeLibrary::PathOf(const std::string& archetype) const
{
    return Morvane::PathWrapper::GetInstance().Expand(m_folder + "/" + archetype);
}

const Morvane::IParserData* ArchetypeLibrary::Find(const std::string& archetype)
{
    const std::string path = PathOf(archetype);
    if (const auto found = m_read.find(path); found != m_read.end())
    {
        return found->second.get();
    }
    Morvane::FileParser parser;
    const Morvane::IParserData* root = parser.Parse(path);
    // Copied out of the parser, which counts as a nesting level while it holds its tree.
    std::unique_ptr<Morvane::IParserData> copy(root != nullptr ? root->Clone() : nullptr);
    return m_read.emplace(path, std::move(copy)).first->second.get();
}
} // namespace MorvaneData
