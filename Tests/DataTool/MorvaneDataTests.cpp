#include "Support/TempDirectory.h"
#include "Support/ToolRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <lodepng.h>
#include <string>
#include <vector>

namespace
{
using namespace Morvane;
using testing::HasSubstr;

using Result = Morvane::Testing::ToolResult;

Result RunTool(const std::string& arguments, const std::string& redirection = "2>&1")
{
    return Morvane::Testing::RunTool("morvane-data", arguments, redirection);
}

TEST(MorvaneData, CheckPassesSoundFilesAndReportsBrokenOnesWithTheEnginesMessages)
{
    const Testing::TempDirectory folder;
    const std::string level = folder.Write("Room.xml", R"(<Room><Object name="Wall"/></Room>)");
    const Result sound = RunTool("check '" + level + "' '" + level + "'");
    EXPECT_EQ(sound.exitCode, 0) << sound.output;
    EXPECT_THAT(sound.output, HasSubstr("Room.xml: OK"));
    EXPECT_THAT(sound.output, HasSubstr("2 files checked, 0 failed"));

    const std::string duplicate = folder.Write("Duplicate.xml", R"(<Root a="1" a="2"/>)");
    const std::string hex = folder.Write(
        "Hex.xml",
        R"(<Context name="GL"><Constant name="Mask" value="0xFF"/><Constant name="Big" value="4294967296"/><Constant name="Padded" value=" 7"/><Odd/></Context>)");
    const Result broken = RunTool("check '" + level + "' '" + duplicate + "' '" + hex + "'");
    EXPECT_EQ(broken.exitCode, 1);
    for (const std::string& expected : std::vector<std::string>{
             "Could not load XML file '" + duplicate + "'", "Unknown parser element 'Odd'",
             "constant 'Mask' has value '0xFF', which reads as 0", "constant 'Big' has value '4294967296'",
             "3 files checked, 2 failed"})
    {
        EXPECT_THAT(broken.output, HasSubstr(expected));
    }
    EXPECT_THAT(broken.output, testing::Not(HasSubstr("'Padded'"))) << "atoi reads \" 7\" as 7";
}

TEST(MorvaneData, CheckFailsAnOptionsFileForEachProblemTheGameWouldWarnAbout)
{
    const Testing::TempDirectory folder;
    const std::string good = folder.Write(
        "options.xml",
        R"(<Options fullScreen="true" volume="0.7" quality="0.25" fxaa="false" vsync="true" invertY="true" sensitivity="9"/>)");
    const std::string bad = folder.Write("bad.xml", R"(<Options volume="7" sensitivity="5.5" odd="1"/>)");
    const Result result = RunTool("check '" + good + "' '" + bad + "'");
    EXPECT_EQ(result.exitCode, 1);
    for (const std::string& expected : std::vector<std::string>{
             "options.xml: OK", bad + ": volume '7' is outside 0 to 1: 1 is used",
             bad + ": sensitivity '5.5' is not a whole number: 6 is used",
             bad + ": unknown attribute 'odd' is ignored", "bad.xml: FAILED", "2 files checked, 1 failed"})
    {
        EXPECT_THAT(result.output, HasSubstr(expected));
    }
}

TEST(MorvaneData, PrintWritesOnlyTheSavedFormToStandardOutputAndBadCommandLinesShowTheUsage)
{
    const Testing::TempDirectory folder;
    const std::string file =
        folder.Write("Text.xml", R"(<Note say="a &quot;b&quot; &amp; &lt;c"><Line>x</Line></Note>)");
    const Result result = RunTool("print '" + file + "'", "2>/dev/null");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "<Note say=\"a 'b' &amp; &lt;c\" >\n<Line>\nx</Line>\n</Note>\n");
    EXPECT_THAT(RunTool("print '" + file + "'", "2>&1 >/dev/null").output,
                HasSubstr("Data cannot have double quotes"));
    EXPECT_EQ(RunTool("print '" + folder.Path() + "Missing.xml'").exitCode, 1);
    for (const char* arguments : {"", "check", "print a.xml b.xml", "verify a.xml"})
    {
        const Result usage = RunTool(arguments);
        EXPECT_EQ(usage.exitCode, 2) << arguments;
        EXPECT_THAT(usage.output, HasSubstr("usage: morvane-data"));
    }
}
const std::string kFiles = MORVANE_DATA_TOOL_FILES;

TEST(MorvaneData, CheckReadsMeshesAndImagesThroughTheEnginesImporters)
{
    const Result sound = RunTool("check '" + kFiles + "Quad.obj' '" + kFiles + "Checker.png'");
    EXPECT_EQ(sound.exitCode, 0) << sound.output;
    EXPECT_THAT(sound.output, HasSubstr("Quad.obj: OK"));
    EXPECT_THAT(sound.output, HasSubstr("Checker.png: OK"));

    const Result broken = RunTool("check '" + kFiles + "BadFace.obj' '" + kFiles + "Truncated.png' '" +
                                  kFiles + "Quad.obj' '" + kFiles + "Missing.PNG'");
    EXPECT_EQ(broken.exitCode, 1);
    for (const std::string& expected : std::vector<std::string>{
             "Line 4: The position index 4 is beyond the 3 declared",
             "Could not parse obj file '" + kFiles + "BadFace.obj", "BadFace.obj: FAILED",
             "PNG: Could not load the image properly", "Could not load PNG [" + kFiles + "Truncated.png]",
             "Truncated.png: FAILED", "Could not load image '" + kFiles + "Missing.PNG'",
             "4 files checked, 3 failed"})
    {
        EXPECT_THAT(broken.output, HasSubstr(expected));
    }
}

TEST(MorvaneData, PrintWritesAnImportedMeshAsTheEngineSavesItAndDescribesAnImage)
{
    const Result mesh = RunTool("print '" + kFiles + "Quad.obj'", "2>/dev/null");
    EXPECT_EQ(mesh.exitCode, 0);
    // The quad's two triangles: positions and texture coordinates in face-vertex order, no normals given.
    EXPECT_THAT(mesh.output, HasSubstr("drawMode=\"GL_TRIANGLES\""));
    EXPECT_THAT(mesh.output, HasSubstr("0 0 0 1 0 0 1 1 0 0 0 0 1 1 0 0 1 0"));
    EXPECT_THAT(mesh.output, HasSubstr("0 0 1 0 1 1 0 0 1 1 0 1"));
    EXPECT_THAT(mesh.output, testing::Not(HasSubstr("location=\"2\"")));

    const Result image = RunTool("print '" + kFiles + "Checker.png'", "2>/dev/null");
    EXPECT_EQ(image.exitCode, 0);
    EXPECT_EQ(image.output, kFiles + "Checker.png: 2 x 2 PNG, RGB, 8-bit\n");

    const Result broken = RunTool("print '" + kFiles + "BadFace.obj'");
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_THAT(broken.output, HasSubstr("beyond the 3 declared"));
    EXPECT_EQ(RunTool("print '" + kFiles + "Truncated.png'", "2>/dev/null").output, "");
}
} // namespace

namespace
{
// The shipped fonts pass; a description whose page is missing, whose glyph leaves its page or whose
// metrics are zero fails with the reason.
TEST(MorvaneData, CheckReadsFontDescriptionsAndTheirPages)
{
    const std::string fonts = MORVANE_SHIPPED_FONTS;
    const Result shipped = RunTool("check '" + fonts + "DejaVuSans.xml' '" + fonts + "DejaVuSansBold.xml'");
    EXPECT_EQ(shipped.exitCode, 0) << shipped.output;
    EXPECT_THAT(shipped.output, HasSubstr("DejaVuSans.xml: OK"));

    const Testing::TempDirectory folder;
    const std::string common = R"(<common lineHeight="8" base="6" scaleW="4" scaleH="4"/>)";
    const std::string outside =
        folder.Write("Outside.xml", "<font>" + common + R"(<pages><page file="Page.png"/></pages>
            <chars><char id="65" x="2" y="0" width="3" height="2" page="0"/></chars></font>)");
    std::vector<unsigned char> page;
    ASSERT_EQ(lodepng::encode(page, std::vector<unsigned char>(4 * 4 * 4, 255), 4, 4), 0u);
    folder.Write("Page.png", std::string(page.begin(), page.end()));
    const std::string missing =
        folder.Write("Missing.xml", "<font>" + common + R"(<pages><page file="Gone.png"/></pages></font>)");
    const std::string zero =
        folder.Write("Zero.xml", R"(<font><common lineHeight="0" base="6" scaleW="4" scaleH="4"/></font>)");
    const Result broken = RunTool("check '" + outside + "' '" + missing + "' '" + zero + "'");
    EXPECT_EQ(broken.exitCode, 1);
    for (const std::string& expected :
         std::vector<std::string>{outside + ": character 65 lies outside its 4 x 4 page 0",
                                  missing + ": page 'Gone.png' does not decode",
                                  "Font metrics must be positive", "3 files checked, 3 failed"})
    {
        EXPECT_THAT(broken.output, HasSubstr(expected));
    }
}
} // namespace
