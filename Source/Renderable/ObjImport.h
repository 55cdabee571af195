#pragma once

#include <cstddef>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Morvane::Graphics
{
// What a Wavefront OBJ file gives a mesh: three arrays in face-vertex order that always stay in step
// (3, 2 and 3 floats per vertex). A vertex without a texture coordinate gets (0, 0), one without a
// normal its face's normal; `has...` says whether any face vertex named one at all.
struct ObjArrays
{
    std::vector<float> positions;
    std::vector<float> textureCoordinates;
    std::vector<float> normals;
    bool hasTextureCoordinates = false;
    bool hasNormals = false;
};

// Reads OBJ text: "v", "vt", "vn" and "f" lines (other keywords and "#" comments are skipped). Face
// words are "p", "p/t", "p/t/n" or "p//n"; indices count from 1, negative ones back from the latest
// entry; polygons are triangulated. Problems are logged on the given channel with their line number.
class ObjImport
{
public:
    explicit ObjImport(std::string channel) : m_channel(std::move(channel)) {}

    bool ImportFile(const std::string& path, ObjArrays& arrays);
    bool ImportText(std::string_view text, ObjArrays& arrays);

private:
    struct Corner
    {
        std::size_t position = 0;
        std::size_t textureCoordinate = 0;
        std::size_t normal = 0;
        bool hasTextureCoordinate = false;
        bool hasNormal = false;
    };

    bool ReadLine(std::string_view line, ObjArrays& arrays);
    bool ReadFace(std::string_view rest, ObjArrays& arrays);
    bool ReadCorner(std::string_view word, Corner& corner) const;
    bool ResolveIndex(std::string_view text, std::size_t count, const char* kind, std::size_t& index) const;
    bool Fail(const std::string& problem) const;

    std::string m_channel;
    std::size_t m_lineNumber = 0;
    std::size_t m_faceCount = 0;
    std::vector<glm::vec3> m_positions;
    std::vector<glm::vec2> m_textureCoordinates;
    std::vector<glm::vec3> m_normals;
    // Reused for every face.
    std::vector<Corner> m_corners;
    std::vector<glm::vec3> m_cornerPositions;
};
} // namespace Morvane::Graphics
