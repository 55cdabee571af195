#include "Renderable/ObjImport.h"
#include "Support/LogCapture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
using Testing::LogCapture;

const char* const kSquare = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

bool Import(const std::string& text, ObjArrays& arrays, std::string* log = nullptr)
{
    LogCapture capture;
    const bool imported = ObjImport("Mesh 'Test'").ImportText(text, arrays);
    if (log != nullptr)
    {
        *log = capture.Text();
    }
    return imported;
}

TEST(ObjImport, ATriangleWithAllThreeFieldsKeepsItsValues)
{
    ObjArrays arrays;
    ASSERT_TRUE(Import("# a triangle\no Triangle\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n"
                       "vn 0 0 1\nf 1/1/1 2/2/1 3/3/1\n",
                       arrays));
    EXPECT_EQ(arrays.positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
    EXPECT_EQ(arrays.textureCoordinates, (std::vector<float>{0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(arrays.normals, (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1}));
    EXPECT_TRUE(arrays.hasTextureCoordinates);
    EXPECT_TRUE(arrays.hasNormals);
}

TEST(ObjImport, DoubleSlashWordsGivePositionsAndNormalsOnly)
{
    ObjArrays arrays;
    ASSERT_TRUE(Import("v 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 -1\nf 1//1 2//1 3//1\n", arrays));
    EXPECT_FALSE(arrays.hasTextureCoordinates);
    EXPECT_TRUE(arrays.hasNormals);
    EXPECT_EQ(arrays.normals[2], -1.0f);
    EXPECT_EQ(arrays.textureCoordinates.size(), 6u) << "the arrays stay in step";
}

TEST(ObjImport, NegativeIndicesCountBackFromTheLatestEntry)
{
    ObjArrays arrays;
    ASSERT_TRUE(Import("v 9 9 9\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf -3 -2 -1\n", arrays));
    EXPECT_EQ(arrays.positions, (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0}));
}

TEST(ObjImport, PolygonsAreTriangulatedAndConcaveOnesKeepTheirShape)
{
    ObjArrays arrays;
    ASSERT_TRUE(Import(std::string(kSquare) + "f 1 2 3 4\n", arrays));
    EXPECT_EQ(arrays.positions.size(), 18u);
    // No normals in the file: each corner gets the face's normal.
    EXPECT_EQ(arrays.normals, (std::vector<float>{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}));

    // An arrow head: (0,0) (2,1) (0,2) (1,1) is concave at (1,1); a fan from the first corner would
    // cover area outside the polygon. Every triangle must keep the polygon's winding (positive area).
    ASSERT_TRUE(Import("v 0 0 0\nv 2 1 0\nv 0 2 0\nv 1 1 0\nf 1 2 3 4\n", arrays));
    ASSERT_EQ(arrays.positions.size(), 18u);
    float area = 0.0f;
    for (std::size_t triangle = 0; triangle < 2; ++triangle)
    {
        const float* p = &arrays.positions[triangle * 9];
        const float signedArea = (p[3] - p[0]) * (p[7] - p[1]) - (p[4] - p[1]) * (p[6] - p[0]);
        EXPECT_GT(signedArea, 0.0f) << "triangle " << triangle;
        area += signedArea / 2.0f;
    }
    EXPECT_FLOAT_EQ(area, 1.0f);
}

TEST(ObjImport, MixedFacesKeepTheArraysInStep)
{
    ObjArrays arrays;
    ASSERT_TRUE(Import(std::string(kSquare) +
                           "vt 0.5 0.5\nvn 1 0 0\nf 1 2 3\nf 1/1/1 3/1/1 4/1/1\nf 1//1 2//1 4//1\n",
                       arrays));
    EXPECT_EQ(arrays.positions.size(), 27u);
    EXPECT_EQ(arrays.textureCoordinates.size(), 18u);
    EXPECT_EQ(arrays.normals.size(), 27u);
    EXPECT_EQ(arrays.textureCoordinates[0], 0.0f) << "a missing texture coordinate is (0, 0)";
    EXPECT_EQ(arrays.textureCoordinates[6], 0.5f);
}

TEST(ObjImport, LineEndingsLongLinesAndAMissingFinalNewlineAreRead)
{
    ObjArrays arrays;
    ASSERT_TRUE(Import("v 0 0 0\r\nv 1 0 0\r\nv 0 1 0\r\nf 1 2 3", arrays));
    EXPECT_EQ(arrays.positions.size(), 9u);

    // A face of 2,500 corners on one line of more than 10,000 characters.
    std::string text;
    std::string face = "f";
    for (int corner = 0; corner < 2500; ++corner)
    {
        const double angle = corner * 6.283185307179586 / 2500.0;
        text += "v " + std::to_string(std::cos(angle)) + " " + std::to_string(std::sin(angle)) + " 0\n";
        face += " " + std::to_string(corner + 1);
    }
    ASSERT_GT(face.size(), 10000u);
    ASSERT_TRUE(Import(text + face + "\n", arrays));
    EXPECT_EQ(arrays.positions.size(), 2498u * 9u);
}

TEST(ObjImport, BadFilesFailWithTheLineAndTheProblem)
{
    const struct
    {
        std::string text;
        const char* message;
    } cases[] = {
        {std::string(kSquare) + "f 0 1 2\n", "Line 5: The position index 0 is not valid"},
        {std::string(kSquare) + "f 1 2 5\n", "Line 5: The position index 5 is beyond the 4 declared"},
        {std::string(kSquare) + "f -5 1 2\n", "Line 5: The position index -5 is beyond the 4 declared"},
        {std::string(kSquare) + "f 1/1 2/1 3/1\n", "Line 5: The texture coordinate index 1 is beyond the 0"},
        {std::string(kSquare) + "f 1//1 2//1 3//1\n", "Line 5: The normal index 1 is beyond the 0"},
        {std::string(kSquare) + "f 1 2\n", "Line 5: A face needs 3 vertices, this one has 2"},
        {std::string(kSquare) + "f 1/1/1/1 2 3\n", "more than three fields"},
        {std::string(kSquare) + "f a 2 3\n", "Line 5: Could not read position index 'a'"},
        {"v 0 0\n", "Line 1: 'v' needs 3 numbers"},
        {"v 0 0 zero\n", "Line 1: Could not read number 'zero'"},
        {"v 0 0 inf\n", "Line 1: Could not read number 'inf'"},
        {kSquare, "The file has no faces"},
        {"", "The file has no faces"},
    };
    for (const auto& test : cases)
    {
        ObjArrays arrays;
        std::string log;
        EXPECT_FALSE(Import(test.text, arrays, &log)) << test.text;
        EXPECT_NE(log.find(test.message), std::string::npos) << test.text << "\n" << log;
    }
}
} // namespace
} // namespace Morvane::Graphics
