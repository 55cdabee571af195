#include "DataTool.h"

#include "FileChecker.h"
#include "ImportedFile.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "StandardOutputGuard.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <cstdio>
#include <exception>

namespace MorvaneData
{
namespace
{
const char* const kChannel = "morvane-data";
constexpr int kSound = 0;
constexpr int kBroken = 1;
constexpr int kBadCommandLine = 2;
} // namespace

int DataTool::Run(const std::vector<std::string>& arguments)
{
    if (arguments.size() >= 2 && arguments[0] == "check")
    {
        return Check({arguments.begin() + 1, arguments.end()});
    }
    if (arguments.size() == 2 && arguments[0] == "print")
    {
        return Print(arguments[1]);
    }
    return Usage();
}

int DataTool::Check(const std::vector<std::string>& files)
{
    FileChecker checker;
    int broken = 0;
    for (const std::string& file : files)
    {
        if (checker.Check(file))
        {
            Morvane::Log::Info(kChannel, Morvane::Format("%s: OK", file.c_str()));
        }
        else
        {
            Morvane::Log::Error(kChannel, Morvane::Format("%s: FAILED", file.c_str()));
            ++broken;
        }
    }
    if (files.size() > 1)
    {
        Morvane::Log::Info(kChannel, Morvane::Format("%zu files checked, %d failed", files.size(), broken));
    }
    return broken == 0 ? kSound : kBroken;
}

int DataTool::Print(const std::string& file)
{
    const MorvaneTools::StandardOutputGuard output;
    try
    {
        if (ImportedFile::Handles(file))
        {
            std::string text;
            return ImportedFile().Read(file, text) && output.Write(text) ? kSound : kBroken;
        }
        Morvane::FileParser parser;
        const Morvane::IParserData* root = parser.Parse(file);
        if (root == nullptr)
        {
            return kBroken;
        }
        return output.Write(root->ToString()) ? kSound : kBroken;
    }
    catch (const std::exception& error)
    {
        Morvane::Log::Error(kChannel, Morvane::Format("%s: %s", file.c_str(), error.what()));
        return kBroken;
    }
}

int DataTool::Usage()
{
    std::fputs(
        "usage: morvane-data check FILE...   load each file as the engine does and report its problems\n"
        "       morvane-data print FILE      write the file as the engine saves it\n",
        stderr);
    return kBadCommandLine;
}
} // namespace MorvaneData
