// Any text goes through the OBJ importer without a crash or undefined behaviour, and what it accepts is
// whole triangles whose three arrays stay in step.
#include "FuzzSupport.h"
#include "Renderable/ObjImport.h"

#include <string_view>

using namespace Morvane;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Graphics::ObjArrays arrays;
    Graphics::ObjImport importer("Fuzz");
    if (importer.ImportText(std::string_view(reinterpret_cast<const char*>(data), size), arrays))
    {
        const std::size_t vertices = arrays.positions.size() / 3;
        Fuzzing::Require(arrays.positions.size() % 9 == 0, "accepted faces are whole triangles");
        Fuzzing::Require(arrays.textureCoordinates.size() == vertices * 2, "texture coordinates keep step");
        Fuzzing::Require(arrays.normals.size() == vertices * 3, "normals keep step");
    }
    return 0;
}
