#include "Parsing/ReferencedFile/ReferencedFile.h"

#include "Parsing/IParserData.h"
#include "System/PathWrapper/PathWrapper.h"

namespace Morvane
{
ReferencedFile::ReferencedFile(const IParserData& element)
    : m_named(element.HasAttribute("path")),
      m_path(PathWrapper::GetInstance().Expand(element.GetAttribute("path", "")))
{
}

IParserData* ReferencedFile::Read()
{
    return m_parser.Parse(m_path);
}
} // namespace Morvane
