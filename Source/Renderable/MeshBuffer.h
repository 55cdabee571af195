#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace Morvane::Graphics
{
// How one vertex attribute reads its buffer; stride and offset in bytes, as written in the data.
struct MeshAttribute
{
    int location = -1;
    int elementSize = 3;
    bool normalise = true;
    int stride = 0;
    int offset = 0;
    int divisor = 0;
};

// One vertex buffer of a mesh: its floats and the attributes that read them. CPU data only; the mesh
// uploads it.
class MeshBuffer
{
public:
    // GL_ARRAY_BUFFER and GL_STATIC_DRAW, without GL's header here.
    static constexpr unsigned kArrayBuffer = 0x8892;
    static constexpr unsigned kStaticDraw = 0x88E4;

    MeshBuffer() = default;
    MeshBuffer(std::vector<float> data, std::vector<MeshAttribute> attributes);

    const std::vector<float>& GetData() const { return m_data; }
    const std::vector<MeshAttribute>& GetAttributes() const { return m_attributes; }
    unsigned GetTarget() const { return m_target; }
    unsigned GetUsage() const { return m_usage; }

    void SetTarget(unsigned target) { m_target = target; }
    void SetUsage(unsigned usage) { m_usage = usage; }
    void SetData(std::vector<float> data) { m_data = std::move(data); }
    void AppendData(const std::vector<float>& data);
    void AddAttribute(const MeshAttribute& attribute) { m_attributes.push_back(attribute); }

    // Whole elements `attribute` finds in the data, stepping by its stride (or its element size when
    // the stride is 0).
    std::size_t CountElements(const MeshAttribute& attribute) const;
    // Vertices every per-vertex attribute (divisor 0) can read; 0 when the buffer has none.
    std::size_t GetVertexCount() const;
    bool HasPerVertexAttribute() const;

private:
    unsigned m_target = kArrayBuffer;
    unsigned m_usage = kStaticDraw;
    std::vector<float> m_data;
    std::vector<MeshAttribute> m_attributes;
};
} // namespace Morvane::Graphics
