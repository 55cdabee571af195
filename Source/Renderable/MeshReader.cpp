#include "Renderable/MeshReader.h"

#include "ConstantManager/ConstantManager.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "Renderable/NumberList.h"
#include "Renderable/ObjImport.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"
#include "System/PathWrapper/PathWrapper.h"

#include <filesystem>

namespace Morvane::Graphics
{
namespace
{
constexpr int kNotFound = -1;

// A GL name of the "OpenGL" constants, or kNotFound.
int GlConstant(const std::string& name)
{
    return ConstantManager::GetInstance().GetConstant("OpenGL", name, kNotFound);
}

std::string FolderOf(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? folder : folder + "/";
}

// The imported array each "Import" child names.
const std::vector<float>* ImportedArray(const std::string& element, const ObjArrays& arrays)
{
    if (element == "Positions")
    {
        return &arrays.positions;
    }
    if (element == "TextureCoordinates")
    {
        return arrays.hasTextureCoordinates ? &arrays.textureCoordinates : nullptr;
    }
    if (element == "Normals")
    {
        return arrays.hasNormals ? &arrays.normals : nullptr;
    }
    return nullptr;
}
} // namespace

bool MeshReader::Read(const IParserData& description)
{
    if (description.HasAttribute("path"))
    {
        return ReadFile(PathWrapper::GetInstance().Expand(description.GetAttribute("path", "")));
    }
    const std::string drawMode = description.GetAttribute("drawMode", "GL_TRIANGLES");
    const int mode = GlConstant(drawMode);
    if (mode == kNotFound)
    {
        Log::Error(m_channel, Format("Unknown draw mode '%s'", drawMode.c_str()));
        return false;
    }
    m_content.drawMode = static_cast<unsigned>(mode);
    return ReadChildren(description);
}

bool MeshReader::ReadFile(const std::string& path)
{
    FileParser parser;
    const IParserData* root = parser.Parse(path);
    if (root == nullptr)
    {
        Log::Error(m_channel, "Could not read mesh file");
        return false;
    }
    m_folder = FolderOf(path);
    if (!Read(*root))
    {
        Log::Error(m_channel, Format("Data could not be parsed of path '%s'", path.c_str()));
        return false;
    }
    return true;
}

bool MeshReader::ReadChildren(const IParserData& description)
{
    static const std::vector<float> kNoData;
    for (const IParserData* child = description.GetFirstChild(); child != nullptr;
         child = child->GetNextSibling())
    {
        const std::string element = child->GetName();
        if (element == "Buffer")
        {
            if (!ReadBuffer(*child, kNoData))
            {
                Log::Error(m_channel, "Could not read bufer description");
                return false;
            }
        }
        else if (element == "Indices")
        {
            if (!ReadIndices(*child))
            {
                Log::Error(m_channel, "Could not read indices from parser data");
                return false;
            }
        }
        else if (element == "Import")
        {
            if (!ReadImport(*child))
            {
                return false;
            }
        }
        else
        {
            Log::Warning(m_channel, Format("Unknown parser element '%s'", element.c_str()));
        }
    }
    return true;
}

std::optional<MeshAttribute> MeshReader::ReadAttribute(const IParserData& element) const
{
    MeshAttribute attribute;
    attribute.location = element.GetAttributeInt("location", -1);
    attribute.elementSize = element.GetAttributeInt("elementSize", 3);
    attribute.normalise = element.GetAttributeBool("normalize", true);
    attribute.stride = element.GetAttributeInt("stride", 0);
    attribute.offset = element.GetAttributeInt("offset", 0);
    attribute.divisor = element.GetAttributeInt("divisor", 0);
    if (attribute.location == -1)
    {
        Log::Error(m_channel, "Attribute description: Location not specified");
        return std::nullopt;
    }
    if (attribute.location < 0 || attribute.location >= MeshContent::kMaxVertexAttributes)
    {
        Log::Error(m_channel, Format("Attribute description: Location '%d' is not below %d",
                                     attribute.location, MeshContent::kMaxVertexAttributes));
        return std::nullopt;
    }
    if (attribute.elementSize < 1 || attribute.elementSize > 4)
    {
        Log::Error(m_channel, Format("Attribute description: Element size '%d' is not between 1 and 4",
                                     attribute.elementSize));
        return std::nullopt;
    }
    if (attribute.stride < 0 || attribute.offset < 0 || attribute.divisor < 0)
    {
        Log::Error(m_channel, "Attribute description: Negative stride, offset or divisor");
        return std::nullopt;
    }
    return attribute;
}

bool MeshReader::CheckAttribute(const MeshBuffer& buffer, const MeshAttribute& attribute) const
{
    const std::size_t floats = buffer.GetData().size();
    const bool packed = attribute.stride == 0 && attribute.offset == 0;
    if ((packed && floats % static_cast<std::size_t>(attribute.elementSize) != 0) ||
        buffer.CountElements(attribute) == 0)
    {
        Log::Error(m_channel, Format("There are '%zu' float data but the element size is '%d', not valid",
                                     floats, attribute.elementSize));
        return false;
    }
    return true;
}

bool MeshReader::ReadBuffer(const IParserData& element, const std::vector<float>& importedData)
{
    const int existing = element.GetAttributeInt("existentBufferIndex", -1);
    MeshBuffer created;
    MeshBuffer* buffer = &created;
    if (existing != -1)
    {
        if (existing < 0 || static_cast<std::size_t>(existing) >= m_content.buffers.size())
        {
            Log::Warning(m_channel, Format("Could not find buffer index '%d'", existing));
            return true;
        }
        buffer = &m_content.buffers[static_cast<std::size_t>(existing)];
    }
    else
    {
        const std::string target = element.GetAttribute("targetBuffer", "GL_ARRAY_BUFFER");
        const std::string usage = element.GetAttribute("usagePatter", "GL_STATIC_DRAW");
        const int targetValue = GlConstant(target);
        const int usageValue = GlConstant(usage);
        if (targetValue == kNotFound || usageValue == kNotFound)
        {
            Log::Error(m_channel,
                       Format("Unknown buffer target '%s' or usage '%s'", target.c_str(), usage.c_str()));
            return false;
        }
        created.SetTarget(static_cast<unsigned>(targetValue));
        created.SetUsage(static_cast<unsigned>(usageValue));
    }
    buffer->AppendData(importedData);

    std::vector<MeshAttribute> attributes;
    for (const IParserData* child = element.GetFirstChild(); child != nullptr;
         child = child->GetNextSibling())
    {
        const std::string name = child->GetName();
        if (name == "Data")
        {
            std::vector<float> values;
            std::string bad;
            if (!AppendFloats(child->GetInnerText(), values, bad))
            {
                Log::Error(m_channel, Format("Could not read number '%s'", bad.c_str()));
                return false;
            }
            buffer->AppendData(values);
        }
        else if (name == "AttributeDescription")
        {
            const std::optional<MeshAttribute> attribute = ReadAttribute(*child);
            if (!attribute)
            {
                return false;
            }
            attributes.push_back(*attribute);
        }
        else
        {
            Log::Warning(m_channel, Format("Unknown parser element '%s'", name.c_str()));
        }
    }
    if (existing == -1 && buffer->GetData().empty())
    {
        Log::Error(m_channel, Format("Could not load any data for buffer: %zu", m_content.buffers.size()));
        return false;
    }
    for (const MeshAttribute& attribute : attributes)
    {
        buffer->AddAttribute(attribute);
    }
    for (const MeshAttribute& attribute : buffer->GetAttributes())
    {
        if (!CheckAttribute(*buffer, attribute))
        {
            return false;
        }
    }
    if (existing == -1)
    {
        m_content.buffers.push_back(std::move(created));
    }
    return true;
}

bool MeshReader::ReadIndices(const IParserData& element)
{
    for (const IParserData* child = element.GetFirstChild(); child != nullptr;
         child = child->GetNextSibling())
    {
        const std::string name = child->GetName();
        if (name != "Data")
        {
            Log::Warning(m_channel, Format("Unknown parser element '%s'", name.c_str()));
            continue;
        }
        std::string bad;
        if (!AppendIndices(child->GetInnerText(), m_content.indices, bad))
        {
            Log::Error(m_channel, Format("Could not read index '%s'", bad.c_str()));
            return false;
        }
    }
    return true;
}

bool MeshReader::ReadImport(const IParserData& element)
{
    const std::string fileType = element.GetAttribute("fileType", "");
    const std::string path = element.GetAttribute("path", "");
    if (fileType != "obj")
    {
        Log::Error(m_channel, Format("Unsupported format: '%s'", fileType.c_str()));
        return false;
    }
    ObjArrays arrays;
    ObjImport importer(m_channel);
    if (!importer.ImportFile(Resolve(path), arrays))
    {
        Log::Error(m_channel, Format("Could not parse obj file '%s", path.c_str()));
        return false;
    }
    for (const IParserData* child = element.GetFirstChild(); child != nullptr;
         child = child->GetNextSibling())
    {
        const std::string name = child->GetName();
        if (name != "Positions" && name != "TextureCoordinates" && name != "Normals")
        {
            Log::Warning(m_channel, Format("Unknown parser element '%s'", name.c_str()));
            continue;
        }
        const std::vector<float>* data = ImportedArray(name, arrays);
        if (data == nullptr)
        {
            Log::Error(m_channel, Format("The obj file '%s' has no %s", path.c_str(), name.c_str()));
            Log::Error(m_channel, Format("Could not parse obj file '%s", path.c_str()));
            return false;
        }
        if (!ReadBuffer(*child, *data))
        {
            Log::Error(m_channel, "Could not read bufer description");
            return false;
        }
    }
    return true;
}

std::string MeshReader::Resolve(const std::string& path) const
{
    const std::string expanded = PathWrapper::GetInstance().Expand(path);
    if (expanded != path || path.empty() || std::filesystem::path(path).is_absolute())
    {
        return expanded;
    }
    return m_folder + path;
}
} // namespace Morvane::Graphics
