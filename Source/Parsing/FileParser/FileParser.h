#pragma once

#include <memory>
#include <optional>
#include <string>

namespace Morvane
{
class IParserData;

// Reads a data file into a tree, choosing the reader by the file's extension. Owns the tree it
// returns until the next Parse or its own destruction. A file read while the trees of the files that
// name it are held nests inside them; past kMaxNesting held trees on one thread the parse is refused,
// so that a file that names itself ends in an error instead of endless recursion.
class FileParser
{
public:
    static constexpr int kMaxNesting = 32;

    FileParser();
    virtual ~FileParser();
    FileParser(const FileParser&) = delete;
    FileParser& operator=(const FileParser&) = delete;

    // `path` must already be expanded. Returns the root of the file's tree, or null (logged).
    IParserData* Parse(const std::string& path);

private:
    // Counts the held tree among this thread's open trees while it lives.
    class NestingLevel
    {
    public:
        NestingLevel();
        ~NestingLevel();
        NestingLevel(const NestingLevel&) = delete;
        NestingLevel& operator=(const NestingLevel&) = delete;
    };

    std::optional<NestingLevel> nesting;
    std::unique_ptr<IParserData> data;
};
} // namespace Morvane
