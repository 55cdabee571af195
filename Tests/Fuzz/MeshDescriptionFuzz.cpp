// Any XML goes through a mesh's Parse and CheckLayout without a crash or undefined behaviour, and a
// layout that passes only draws indices inside every per-vertex buffer.
#include "ConstantManager/ConstantManager.h"
#include "FuzzSupport.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/XMLParserData/XMLParserData.h"
#include "Renderable/Mesh.h"

#include <algorithm>
#include <string>

using namespace Morvane;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    // The descriptions name GL constants ("GL_TRIANGLES", "GL_STATIC_DRAW", ...).
    FileParser parser;
    IParserData* constants = parser.Parse(MORVANE_OPENGL_CONSTANTS);
    Fuzzing::Require(constants != nullptr && ConstantManager::GetInstance().Parse(constants),
                     "the OpenGL constants load");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    // A "path" reads another file from disk (any file, even an endless one); the description is what
    // this target reads, the file parser's own target covers files.
    if (text.find("path") != std::string::npos)
    {
        return 0;
    }
    XMLParserData description;
    if (!description.FromString(text))
    {
        return 0;
    }
    Graphics::Mesh mesh("Fuzz");
    if (mesh.Parse(&description) && mesh.CheckLayout())
    {
        for (std::size_t index = 0; index < mesh.GetBufferCount(); ++index)
        {
            const Graphics::MeshBuffer& buffer = mesh.GetBuffer(index);
            if (buffer.HasPerVertexAttribute())
            {
                Fuzzing::Require(std::ranges::all_of(mesh.GetIndices(), [&](std::uint32_t vertex)
                                                     { return vertex < buffer.GetVertexCount(); }),
                                 "a checked layout draws only vertices its buffers hold");
            }
        }
    }
    return 0;
}
