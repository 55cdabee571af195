#include "Platform/ExecutablePath.h"
#include "Support/TempDirectory.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace Morvane
{
namespace
{
using Testing::TempDirectory;

struct Result
{
    int exitCode = -1;
    std::string output;
};

// The tool is built beside the tests: build/Tools/morvane-data/morvane-data.
std::string ToolPath()
{
    const std::filesystem::path tests = std::filesystem::path(Platform::GetExecutablePath()).parent_path();
    return (tests.parent_path() / "Tools" / "morvane-data" / "morvane-data").string();
}

Result RunTool(const std::string& arguments, const std::string& redirection = "2>&1")
{
    Result result;
    const std::string command = "'" + ToolPath() + "' " + arguments + " " + redirection;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
    {
        return result;
    }
    std::array<char, 4096> buffer{};
    while (const std::size_t read = std::fread(buffer.data(), 1, buffer.size(), pipe))
    {
        result.output.append(buffer.data(), read);
    }
    const int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

class MorvaneData : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(ToolPath()))
        {
            FAIL() << "build the tool first: " << ToolPath();
        }
    }
    TempDirectory m_folder;
};

TEST_F(MorvaneData, SoundFilesPass)
{
    const std::string level = m_folder.Write("Level.xml", R"(<Level><Object name="Wall"/></Level>)");
    const std::string constants = m_folder.Write(
        "Constants.xml", R"(<Context name="Game"><Constant name="Lives" value="3"/></Context>)");
    const Result result = RunTool("check '" + level + "' '" + constants + "'");
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("Level.xml: OK"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("2 files checked, 0 failed"), std::string::npos) << result.output;
}

TEST_F(MorvaneData, BrokenFilesAreReportedWithTheEnginesMessages)
{
    const std::string good = m_folder.Write("Good.xml", "<Good/>");
    const std::string duplicate = m_folder.Write("Duplicate.xml", R"(<Root a="1" a="2"/>)");
    const std::string empty = m_folder.Write("Empty.xml", "");
    const std::string hex = m_folder.Write(
        "Hex.xml", R"(<Context name="GL"><Constant name="Mask" value="0xFF"/><Odd/></Context>)");
    const Result result = RunTool("check '" + good + "' '" + duplicate + "' '" + empty + "' '" + hex + "' '" +
                                  m_folder.Path() + "Missing.xml' '" + m_folder.Path() + "NoExtension'");
    EXPECT_EQ(result.exitCode, 1);
    const std::string& text = result.output;
    EXPECT_NE(text.find("Error: XML_ERROR_PARSING_ATTRIBUTE"), std::string::npos) << text;
    EXPECT_NE(text.find("Could not load XML file '" + duplicate + "'"), std::string::npos) << text;
    EXPECT_NE(text.find("Error ID: 15"), std::string::npos) << text;
    EXPECT_NE(text.find("Error: XML_ERROR_FILE_NOT_FOUND"), std::string::npos) << text;
    EXPECT_NE(text.find("Could not find filename extension"), std::string::npos) << text;
    EXPECT_NE(text.find("Unknown parser element 'Odd'"), std::string::npos) << text;
    EXPECT_NE(text.find("constant 'Mask' has value '0xFF', which reads as 0"), std::string::npos) << text;
    EXPECT_NE(text.find("6 files checked, 5 failed"), std::string::npos) << text;
}

TEST_F(MorvaneData, PrintWritesOnlyTheSavedFormToStandardOutput)
{
    const std::string file =
        m_folder.Write("Text.xml", R"(<Note say="a &quot;b&quot; &amp; &lt;c"><Line>x</Line></Note>)");
    const Result result = RunTool("print '" + file + "'", "2>/dev/null");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "<Note say=\"a 'b' &amp; &lt;c\" >\n<Line>\nx</Line>\n</Note>\n");

    const Result withLog = RunTool("print '" + file + "'", "2>&1 >/dev/null");
    EXPECT_NE(withLog.output.find("Data cannot have double quotes"), std::string::npos) << withLog.output;
}

TEST_F(MorvaneData, BadCommandLinesShowTheUsage)
{
    for (const char* arguments : {"", "check", "print", "print a.xml b.xml", "verify a.xml"})
    {
        const Result result = RunTool(arguments);
        EXPECT_EQ(result.exitCode, 2) << arguments;
        EXPECT_NE(result.output.find("usage: morvane-data"), std::string::npos) << arguments;
    }
    EXPECT_EQ(RunTool("print '" + m_folder.Path() + "Missing.xml'").exitCode, 1);
}
} // namespace
} // namespace Morvane
