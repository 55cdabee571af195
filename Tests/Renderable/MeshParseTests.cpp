#include "Renderable/Mesh.h"
#include "Support/GraphicsData.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/TempDirectory.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
using Testing::LogCapture;
using Testing::ParseXml;

class MeshParseTest : public testing::Test
{
protected:
    void SetUp() override { Testing::LoadOpenGLConstants(); }

    // Parses `xml` as the mesh "Test"; the log of the parse goes to `log`.
    bool Parse(const std::string& xml, std::string* log = nullptr)
    {
        const auto description = ParseXml(xml);
        LogCapture capture;
        const bool parsed = mesh.Parse(description.get());
        if (log != nullptr)
        {
            *log = capture.Text();
        }
        return parsed;
    }

    Mesh mesh{"Test"};
};

TEST_F(MeshParseTest, ATriangleOfNineFloatsHasOneBufferAndNoIndices)
{
    ASSERT_TRUE(Parse(R"(<Mesh><Buffer><Data>0 0 0  1 0 0
        0 1 0</Data><AttributeDescription location="0"/></Buffer></Mesh>)"));
    ASSERT_EQ(mesh.GetBufferCount(), 1u);
    EXPECT_EQ(mesh.GetBuffer(0).GetData(), (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
    ASSERT_EQ(mesh.GetBuffer(0).GetAttributes().size(), 1u);
    const MeshAttribute& attribute = mesh.GetBuffer(0).GetAttributes()[0];
    EXPECT_EQ(attribute.location, 0);
    EXPECT_EQ(attribute.elementSize, 3);
    EXPECT_TRUE(attribute.normalise) << "normalize defaults to true";
    EXPECT_EQ(attribute.stride, 0);
    EXPECT_EQ(attribute.offset, 0);
    EXPECT_EQ(attribute.divisor, 0);
    EXPECT_TRUE(mesh.GetIndices().empty());
    EXPECT_EQ(mesh.GetDrawMode(), 4u);
    EXPECT_EQ(mesh.GetBuffer(0).GetVertexCount(), 3u);
    EXPECT_TRUE(mesh.CheckLayout());
}

TEST_F(MeshParseTest, IndicesAndDrawModeAreRead)
{
    ASSERT_TRUE(Parse(R"(<Mesh drawMode="GL_LINES"><Buffer><Data>0 0 0 1 1 1</Data>
        <AttributeDescription location="2" normalize="false"/></Buffer>
        <Indices><Data>0 1</Data><Data>1 0</Data></Indices></Mesh>)"));
    EXPECT_EQ(mesh.GetIndices(), (std::vector<std::uint32_t>{0, 1, 1, 0}));
    EXPECT_EQ(mesh.GetDrawMode(), 1u);
    EXPECT_FALSE(mesh.GetBuffer(0).GetAttributes()[0].normalise);
}

TEST_F(MeshParseTest, ExistentBufferIndexInterleavesIntoTheFirstBuffer)
{
    ASSERT_TRUE(Parse(R"(<Mesh>
        <Buffer><Data>0 0 0 0 0  1 0 0 1 0  0 1 0 0 1</Data>
            <AttributeDescription location="0" elementSize="3" stride="20" offset="0"/></Buffer>
        <Buffer existentBufferIndex="0">
            <AttributeDescription location="1" elementSize="2" stride="20" offset="12"/></Buffer></Mesh>)"));
    ASSERT_EQ(mesh.GetBufferCount(), 1u);
    EXPECT_EQ(mesh.GetBuffer(0).GetAttributes().size(), 2u);
    // Counted by stride, not by the first attribute's element size (15 / 3 would say 5).
    EXPECT_EQ(mesh.GetBuffer(0).GetVertexCount(), 3u);
    EXPECT_TRUE(mesh.CheckLayout());
}

TEST_F(MeshParseTest, AnUnknownExistentBufferIndexIsAWarning)
{
    std::string log;
    ASSERT_TRUE(Parse(R"(<Mesh><Buffer><Data>0 0 0</Data><AttributeDescription location="0"/></Buffer>
        <Buffer existentBufferIndex="3"><AttributeDescription location="1"/></Buffer><Other/></Mesh>)",
                      &log));
    EXPECT_NE(log.find("Could not find buffer index '3'"), std::string::npos) << log;
    EXPECT_NE(log.find("Unknown parser element 'Other'"), std::string::npos) << log;
    EXPECT_EQ(mesh.GetBuffer(0).GetAttributes().size(), 1u);
}

TEST_F(MeshParseTest, BadBuffersFailWithTheirMessages)
{
    const struct
    {
        const char* xml;
        const char* message;
    } cases[] = {
        {R"(<Mesh><Buffer><Data>0 0 0</Data><AttributeDescription/></Buffer></Mesh>)",
         "Attribute description: Location not specified"},
        {R"(<Mesh><Buffer><Data>0 0 0 0</Data><AttributeDescription location="0"/></Buffer></Mesh>)",
         "There are '4' float data but the element size is '3', not valid"},
        {R"(<Mesh><Buffer><AttributeDescription location="0"/></Buffer></Mesh>)",
         "Could not load any data for buffer: 0"},
        {R"(<Mesh><Buffer><Data>0 0 0</Data><AttributeDescription location="0" elementSize="0"/></Buffer></Mesh>)",
         "Element size '0' is not between 1 and 4"},
        {R"(<Mesh><Buffer><Data>0 0 0 0 0</Data><AttributeDescription location="0" elementSize="5"/></Buffer></Mesh>)",
         "Element size '5' is not between 1 and 4"},
        {R"(<Mesh><Buffer><Data>0 0 0</Data><AttributeDescription location="16"/></Buffer></Mesh>)",
         "Location '16' is not below 16"},
        {R"(<Mesh><Buffer><Data>0 0 0</Data><AttributeDescription location="0" stride="-4"/></Buffer></Mesh>)",
         "Negative stride, offset or divisor"},
        {R"(<Mesh><Buffer><Data>0 0 x</Data><AttributeDescription location="0"/></Buffer></Mesh>)",
         "Could not read number 'x'"},
        {R"(<Mesh><Buffer><Data>0 0 nan</Data><AttributeDescription location="0"/></Buffer></Mesh>)",
         "Could not read number 'nan'"},
        {R"(<Mesh><Buffer><Data>0 0 0 0</Data><AttributeDescription location="0" stride="16" offset="8"/></Buffer></Mesh>)",
         "There are '4' float data but the element size is '3', not valid"},
        {R"(<Mesh><Buffer targetBuffer="GL_NOTHING"><Data>0 0 0</Data><AttributeDescription location="0"/></Buffer></Mesh>)",
         "Unknown buffer target 'GL_NOTHING'"},
    };
    for (const auto& test : cases)
    {
        Mesh broken("Test");
        const auto description = ParseXml(test.xml);
        LogCapture log;
        EXPECT_FALSE(broken.Parse(description.get())) << test.xml;
        EXPECT_TRUE(log.Contains(test.message)) << test.xml << "\n" << log.Text();
        EXPECT_TRUE(log.Contains("Mesh 'Test'")) << log.Text();
        EXPECT_TRUE(log.Contains("Could not read bufer description")) << log.Text();
    }
}

TEST_F(MeshParseTest, BadIndicesAndDrawModesFail)
{
    std::string log;
    EXPECT_FALSE(Parse(R"(<Mesh><Indices><Data>0 -1</Data></Indices></Mesh>)", &log));
    EXPECT_NE(log.find("Could not read index '-1'"), std::string::npos) << log;
    EXPECT_NE(log.find("Could not read indices from parser data"), std::string::npos) << log;
    EXPECT_FALSE(Parse(R"(<Mesh><Indices><Data>4294967296</Data></Indices></Mesh>)", &log));
    EXPECT_NE(log.find("Could not read index '4294967296'"), std::string::npos) << log;
    EXPECT_FALSE(Parse(R"(<Mesh drawMode="GL_SQUARES"/>)", &log));
    EXPECT_NE(log.find("Unknown draw mode 'GL_SQUARES'"), std::string::npos) << log;
}

TEST_F(MeshParseTest, LayoutChecksCatchDuplicatedLocationsAndIndicesPastTheVertices)
{
    ASSERT_TRUE(Parse(R"(<Mesh><Buffer><Data>0 0 0 1 1 1</Data><AttributeDescription location="0"/></Buffer>
        <Buffer><Data>0 0 0 1 1 1</Data><AttributeDescription location="0"/></Buffer></Mesh>)"));
    {
        LogCapture log;
        EXPECT_FALSE(mesh.CheckLayout());
        EXPECT_TRUE(
            log.Contains("Mesh attribute location have been duplicated, please specify them manually"));
    }
    ASSERT_TRUE(Parse(R"(<Mesh><Buffer><Data>0 0 0 1 1 1</Data><AttributeDescription location="0"/></Buffer>
        <Indices><Data>0 1 2</Data></Indices></Mesh>)"));
    {
        LogCapture log;
        EXPECT_FALSE(mesh.CheckLayout());
        EXPECT_TRUE(log.Contains("Index '2' is past the 2 vertices of buffer 0")) << log.Text();
    }
    // Per-instance buffers do not bound the vertex indices.
    ASSERT_TRUE(
        Parse(R"(<Mesh><Buffer><Data>0 0 0 1 1 1 2 2 2</Data><AttributeDescription location="0"/></Buffer>
        <Buffer><Data>5 5</Data><AttributeDescription location="1" elementSize="2" divisor="1"/></Buffer>
        <Indices><Data>0 1 2</Data></Indices></Mesh>)"));
    EXPECT_TRUE(mesh.CheckLayout());
    ASSERT_TRUE(Parse(R"(<Mesh/>)"));
    LogCapture log;
    EXPECT_FALSE(mesh.CheckLayout());
    EXPECT_TRUE(log.Contains("Could not generate indices"));
}

TEST_F(MeshParseTest, APathReadsTheDescriptionFileAndImportsRelativeToIt)
{
    const Testing::TempDirectory folder;
    folder.Write("Meshes/Quad.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
                                    "f 1/1 2/2 3/3 4/4\n");
    const std::string path = folder.Write("Meshes/Quad.xml", R"(<Mesh><Import fileType="obj" path="Quad.obj">
        <Positions><AttributeDescription location="0"/></Positions>
        <TextureCoordinates><AttributeDescription location="1" elementSize="2"/></TextureCoordinates>
        </Import></Mesh>)");
    ASSERT_TRUE(Parse(R"(<Mesh path=")" + path + R"("/>)"));
    ASSERT_EQ(mesh.GetBufferCount(), 2u);
    EXPECT_EQ(mesh.GetBuffer(0).GetVertexCount(), 6u) << "a quad is two triangles";
    EXPECT_EQ(mesh.GetBuffer(1).GetVertexCount(), 6u);

    std::string log;
    EXPECT_FALSE(Parse(R"(<Mesh path=")" + folder.Path() + R"(none.xml"/>)", &log));
    EXPECT_NE(log.find("Could not read mesh file"), std::string::npos) << log;
}

TEST_F(MeshParseTest, ImportsRefuseOtherFormatsMissingFilesAndMissingArrays)
{
    const Testing::TempDirectory folder;
    const std::string obj = folder.Write("a.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    std::string log;
    EXPECT_FALSE(Parse(R"(<Mesh><Import fileType="fbx" path="a.fbx"/></Mesh>)", &log));
    EXPECT_NE(log.find("Unsupported format: 'fbx'"), std::string::npos) << log;
    EXPECT_FALSE(
        Parse(R"(<Mesh><Import fileType="obj" path=")" + folder.Path() + R"(none.obj"/></Mesh>)", &log));
    EXPECT_NE(log.find("Could not parse obj file '"), std::string::npos) << log;
    EXPECT_FALSE(Parse(R"(<Mesh><Import fileType="obj" path=")" + obj +
                           R"("><Normals><AttributeDescription location="2"/></Normals></Import></Mesh>)",
                       &log));
    EXPECT_NE(log.find("has no Normals"), std::string::npos) << log;
}

TEST_F(MeshParseTest, SaveWritesWhatParseReadsBack)
{
    ASSERT_TRUE(Parse(R"(<Mesh drawMode="GL_TRIANGLE_STRIP"><Buffer usagePatter="GL_DYNAMIC_DRAW">
        <Data>0.5 -1.25 3e-7 1 2 3</Data><AttributeDescription location="3" elementSize="3" normalize="false"
        stride="12" offset="0" divisor="1"/></Buffer><Indices><Data>1 0</Data></Indices></Mesh>)"));
    XMLParserData saved;
    ASSERT_TRUE(saved.FromString("<Mesh/>"));
    ASSERT_TRUE(mesh.Save(&saved));
    Mesh loaded("Loaded");
    ASSERT_TRUE(loaded.Parse(&saved)) << saved.ToString();
    EXPECT_EQ(loaded.GetDrawMode(), mesh.GetDrawMode());
    EXPECT_EQ(loaded.GetBuffer(0).GetData(), mesh.GetBuffer(0).GetData());
    EXPECT_EQ(loaded.GetBuffer(0).GetUsage(), 0x88E8u);
    const MeshAttribute& attribute = loaded.GetBuffer(0).GetAttributes()[0];
    EXPECT_EQ(attribute.location, 3);
    EXPECT_FALSE(attribute.normalise);
    EXPECT_EQ(attribute.stride, 12);
    EXPECT_EQ(attribute.divisor, 1);
    EXPECT_EQ(loaded.GetIndices(), mesh.GetIndices());
}
} // namespace
} // namespace Morvane::Graphics
