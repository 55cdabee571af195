#include "Parsing/ReferencedFile/Sections.h"

#include "Parsing/IParserData.h"

namespace Morvane
{
bool ForEachInSections(IParserData& element, const std::function<bool(IParserData& child)>& visit,
                       const std::function<void()>& sectionFailed)
{
    for (IParserData* child = element.GetFirstChild(); child != nullptr; child = child->GetNextSibling())
    {
        if (child->GetName() == "Section")
        {
            if (!ForEachInSections(*child, visit, sectionFailed))
            {
                sectionFailed();
                return false;
            }
        }
        else if (!visit(*child))
        {
            return false;
        }
    }
    return true;
}
} // namespace Morvane
