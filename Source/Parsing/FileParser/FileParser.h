#pragma once

#include <memory>
#include <string>

namespace Morvane
{
class IParserData;

// Reads a data file into a tree, choosing the reader by the file's extension. Owns the tree it
// returns until the next Parse or its own destruction.
class FileParser
{
public:
    FileParser();
    virtual ~FileParser();
    FileParser(const FileParser&) = delete;
    FileParser& operator=(const FileParser&) = delete;

    // `path` must already be expanded. Returns the root of the file's tree, or null (logged).
    IParserData* Parse(const std::string& path);

private:
    std::unique_ptr<IParserData> data;
};
} // namespace Morvane
