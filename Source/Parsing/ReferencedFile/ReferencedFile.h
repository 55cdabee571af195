#pragma once

#include "Parsing/FileParser/FileParser.h"

#include <string>

namespace Morvane
{
class IParserData;

// The file an element names in its "path" attribute, whose root then stands in for the element.
// The path has its aliases expanded; a relative path is read from the working folder. Each caller
// logs its own message when the file cannot be read.
class ReferencedFile
{
public:
    explicit ReferencedFile(const IParserData& element);

    // Whether the element has a "path" at all.
    bool IsNamed() const { return m_named; }
    const std::string& GetPath() const { return m_path; }

    // The root of the file's tree, held until this object ends; null when it cannot be read, which
    // the file parser logs (an element without "path" names the empty path, which it refuses). A file
    // that names itself is refused once it is nested FileParser::kMaxNesting files deep.
    IParserData* Read();

private:
    bool m_named;
    std::string m_path;
    FileParser m_parser;
};
} // namespace Morvane
