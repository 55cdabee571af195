#pragma once

#include "Graphics/GlObject.h"
#include "Parsing/IParseable.h"
#include "Renderable/IRenderable.h"
#include "Renderable/MeshBuffer.h"
#include "Renderable/MeshContent.h"
#include "Resources/Resource.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace Morvane::Graphics
{
// The "Mesh" resource: float vertex buffers with their attribute layouts, an index list and a draw
// mode, read from an XML description or imported from an OBJ file. Parse reads and checks the CPU
// data and makes no GL call (it may run on the load thread, and physics and the data tool use meshes
// without a context); Initialize uploads it on the main thread. Code may also build a mesh with
// AddBuffer, SetIndices and SetDrawMode and then call Initialize.
class Mesh : public Resources::Resource, public IRenderable, public IParseable
{
public:
    explicit Mesh(const std::string& name) : Resource(name) {}

    bool Parse(const IParserData* definition) override;
    // Writes "drawMode", the buffers with their data and attributes, and the indices when given.
    bool Save(IParserData* data) override;
    // Checks the layout, then builds the buffers, the vertex array and the index buffer.
    bool Initialize() override;
    // Deletes the GL objects and frees the CPU data.
    void Release() override;
    void Draw() override;
    void DrawInstanced(int count) override;

    // The checks Initialize makes before any GL call (unique locations, indices inside the buffers).
    bool CheckLayout() const;

    // Empty when the mesh draws its vertices in order.
    const std::vector<std::uint32_t>& GetIndices() const { return m_content.indices; }
    std::size_t GetBufferCount() const { return m_content.buffers.size(); }
    const MeshBuffer& GetBuffer(std::size_t index) const;
    unsigned GetDrawMode() const { return m_content.drawMode; }
    // The GL buffer of buffer `index`; 0 before Initialize.
    GLuint GetBufferHandle(std::size_t index) const
    {
        return index < m_glBuffers.size() ? m_glBuffers[index].Get() : 0;
    }
    // Indices the last Initialize uploaded (given or generated).
    std::size_t GetIndexCount() const { return m_indexCount; }

    void AddBuffer(MeshBuffer buffer) { m_content.buffers.push_back(std::move(buffer)); }
    void SetIndices(std::vector<std::uint32_t> indices) { m_content.indices = std::move(indices); }
    void SetDrawMode(unsigned mode) { m_content.drawMode = mode; }
    // Replaces one buffer's floats (per-instance data, for example) and uploads them at once when the
    // mesh is initialised. Refused (logged, nothing changed) when the layout would no longer hold.
    bool UpdateBuffer(std::size_t index, std::vector<float> data);
    // Uploads per-frame data (particle instances) straight into the GL buffer of an initialised mesh,
    // without touching the CPU copy, which keeps the layout's size. Refused (logged) when `data` is not
    // exactly the buffer's size: resizing goes through UpdateBuffer.
    bool StreamBuffer(std::size_t index, std::span<const float> data);

private:
    std::string Channel() const;
    void ReleaseGlObjects();
    // Generated indices follow the vertex count of updated per-vertex buffers.
    void RefreshGeneratedIndices();
    // Instances every per-instance attribute can feed.
    std::size_t InstanceCapacity() const;

    MeshContent m_content;
    GlVertexArray m_vertexArray;
    std::vector<GlBuffer> m_glBuffers;
    GlBuffer m_indexBuffer;
    std::size_t m_indexCount = 0;
};
} // namespace Morvane::Graphics
