#pragma once

#include "Renderable/MeshContent.h"

#include <optional>
#include <string>
#include <vector>

namespace Morvane
{
class IParserData;
}

namespace Morvane::Graphics
{
// Reads a "Mesh" description (or the file its "path" names) into a mesh's CPU content: "Buffer",
// "Indices" and "Import" children. No GL call; problems are logged on the mesh's channel.
class MeshReader
{
public:
    MeshReader(const std::string& channel, MeshContent& content) : m_channel(channel), m_content(content) {}

    bool Read(const IParserData& description);

private:
    bool ReadFile(const std::string& path);
    bool ReadChildren(const IParserData& description);
    bool ReadBuffer(const IParserData& element, const std::vector<float>& importedData);
    bool ReadIndices(const IParserData& element);
    bool ReadImport(const IParserData& element);
    std::optional<MeshAttribute> ReadAttribute(const IParserData& element) const;
    bool CheckAttribute(const MeshBuffer& buffer, const MeshAttribute& attribute) const;
    // "$(Alias)" paths expand; other relative paths start in the description's folder.
    std::string Resolve(const std::string& path) const;

    const std::string& m_channel;
    MeshContent& m_content;
    std::string m_folder;
};
} // namespace Morvane::Graphics
