#include "ImportedFile.h"

#include "Parsing/XMLParserData/XMLParserData.h"
#include "Renderable/Mesh.h"
#include "Renderable/ObjImport.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "Texture/PngImage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <lodepng.h>
#include <utility>
#include <vector>

namespace MorvaneData
{
namespace
{
using Morvane::Format;
using Morvane::Graphics::MeshAttribute;
using Morvane::Graphics::MeshBuffer;

std::string LowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::ranges::transform(extension, extension.begin(),
                           [](char character) {
                               return static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
                           });
    return extension;
}

// The locations the engine's shaders read an imported mesh's arrays from.
constexpr int kPositionLocation = 0;
constexpr int kTextureCoordinateLocation = 1;
constexpr int kNormalLocation = 2;

MeshBuffer ArrayBuffer(std::vector<float> data, int location, int elementSize)
{
    MeshAttribute attribute;
    attribute.location = location;
    attribute.elementSize = elementSize;
    attribute.normalise = false;
    return MeshBuffer(std::move(data), {attribute});
}

struct ColourTypeName
{
    LodePNGColorType type;
    const char* name;
};

constexpr std::array kColourTypes{
    ColourTypeName{LCT_GREY, "grey"},       ColourTypeName{LCT_RGB, "RGB"},
    ColourTypeName{LCT_PALETTE, "palette"}, ColourTypeName{LCT_GREY_ALPHA, "grey and alpha"},
    ColourTypeName{LCT_RGBA, "RGBA"},
};

const char* NameOf(LodePNGColorType type)
{
    const auto* found = std::ranges::find(kColourTypes, type, &ColourTypeName::type);
    return found == kColourTypes.end() ? "unknown" : found->name;
}
} // namespace

bool ImportedFile::Handles(const std::string& path)
{
    const std::string extension = LowerExtension(path);
    return extension == ".obj" || extension == ".png";
}

bool ImportedFile::Read(const std::string& path, std::string& text) const
{
    return LowerExtension(path) == ".obj" ? ReadMesh(path, text) : ReadImage(path, text);
}

bool ImportedFile::ReadMesh(const std::string& path, std::string& text) const
{
    Morvane::Graphics::Mesh mesh(path);
    const std::string channel = Format("Mesh '%s'", path.c_str());
    Morvane::Graphics::ObjArrays arrays;
    if (!Morvane::Graphics::ObjImport(channel).ImportFile(path, arrays))
    {
        Morvane::Log::Error(channel, Format("Could not parse obj file '%s", path.c_str()));
        return false;
    }
    mesh.AddBuffer(ArrayBuffer(std::move(arrays.positions), kPositionLocation, 3));
    if (arrays.hasTextureCoordinates)
    {
        mesh.AddBuffer(ArrayBuffer(std::move(arrays.textureCoordinates), kTextureCoordinateLocation, 2));
    }
    if (arrays.hasNormals)
    {
        mesh.AddBuffer(ArrayBuffer(std::move(arrays.normals), kNormalLocation, 3));
    }
    if (!mesh.CheckLayout())
    {
        return false;
    }
    Morvane::XMLParserData saved;
    if (!saved.FromString("<Mesh/>") || !mesh.Save(&saved))
    {
        return false;
    }
    text = saved.ToString();
    return true;
}

bool ImportedFile::ReadImage(const std::string& path, std::string& text) const
{
    const std::string channel = Format("Texture '%s'", path.c_str());
    std::vector<unsigned char> bytes;
    if (lodepng::load_file(bytes, path) != 0 || bytes.empty())
    {
        Morvane::Log::Error(channel, Format("Could not load image '%s'", path.c_str()));
        Morvane::Log::Error(channel, Format("Could not load PNG [%s]", path.c_str()));
        return false;
    }
    Morvane::Graphics::TexelImage image;
    std::string problem;
    if (!Morvane::Graphics::DecodePng(bytes, image, problem))
    {
        Morvane::Log::Error(channel, "PNG: Could not load the image properly");
        Morvane::Log::Error(channel, Format("PNG: %s", problem.c_str()));
        Morvane::Log::Error(channel, Format("Could not load PNG [%s]", path.c_str()));
        return false;
    }
    // The decode has checked the header already; this only names the stored format.
    unsigned width = 0;
    unsigned height = 0;
    lodepng::State state;
    lodepng_inspect(&width, &height, &state, bytes.data(), bytes.size());
    text = Format("%s: %u x %u PNG, %s, %u-bit\n", path.c_str(), image.width, image.height,
                  NameOf(state.info_png.color.colortype), state.info_png.color.bitdepth);
    return true;
}
} // namespace MorvaneData
