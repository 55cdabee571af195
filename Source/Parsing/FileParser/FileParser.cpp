#include "Parsing/FileParser/FileParser.h"

#include "Parsing/XMLParserData/XMLParserData.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <cctype>

namespace Morvane
{
namespace
{
const char* const kChannel = "File Parser";

thread_local int openTrees = 0;
} // namespace

FileParser::NestingLevel::NestingLevel()
{
    ++openTrees;
}

FileParser::NestingLevel::~NestingLevel()
{
    --openTrees;
}

FileParser::FileParser() = default;
FileParser::~FileParser() = default;

IParserData* FileParser::Parse(const std::string& path)
{
    data.reset();
    nesting.reset();
    if (openTrees >= kMaxNesting)
    {
        Log::Error(kChannel,
                   Format("File '%s' is nested more than %d files deep", path.c_str(), kMaxNesting));
        return nullptr;
    }
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
    {
        Log::Error(kChannel, "Could not find filename extension");
        return nullptr;
    }
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char character) { return static_cast<char>(std::tolower(character)); });
    if (extension != "xml")
    {
        Log::Error(kChannel, Format("Could not load file '%s'", path.c_str()));
        return nullptr;
    }

    auto node = std::make_unique<XMLParserData>();
    if (!XMLParserData::LoadFile(path, node.get()))
    {
        Log::Error(kChannel, Format("Could not load XML file '%s'", path.c_str()));
        return nullptr;
    }
    nesting.emplace();
    data = std::move(node);
    return data.get();
}
} // namespace Morvane
