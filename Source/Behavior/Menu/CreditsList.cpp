#include "Behavior/Menu/CreditsList.h"

#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

using namespace Morvane;

namespace
{
const char* const kChannel = "Menu";
}

CreditsList CreditsList::Load(const std::string& path)
{
    CreditsList credits;
    FileParser parser;
    const IParserData* root = parser.Parse(path);
    if (root == nullptr || root->GetName() != "Credits")
    {
        Log::Warning(kChannel, Format("No credits in '%s'", path.c_str()));
        return credits;
    }
    for (const IParserData* heading = root->GetFirstChild(); heading != nullptr;
         heading = heading->GetNextSibling())
    {
        if (heading->GetName() != "Heading")
        {
            continue;
        }
        Heading& added = credits.m_headings.emplace_back();
        added.caption = heading->GetAttribute("caption", "");
        for (const IParserData* line = heading->GetFirstChild(); line != nullptr;
             line = line->GetNextSibling())
        {
            if (line->GetName() == "Line")
            {
                added.lines.push_back({line->GetAttribute("caption", ""), line->GetAttribute("address", "")});
            }
        }
    }
    return credits;
}
