#include "Renderable/MeshBuffer.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace Morvane::Graphics
{
MeshBuffer::MeshBuffer(std::vector<float> data, std::vector<MeshAttribute> attributes)
    : m_data(std::move(data)), m_attributes(std::move(attributes))
{
}

void MeshBuffer::AppendData(const std::vector<float>& data)
{
    m_data.insert(m_data.end(), data.begin(), data.end());
}

std::size_t MeshBuffer::CountElements(const MeshAttribute& attribute) const
{
    if (attribute.elementSize <= 0 || attribute.offset < 0 || attribute.stride < 0)
    {
        return 0;
    }
    const std::size_t bytes = m_data.size() * sizeof(float);
    const std::size_t elementBytes = static_cast<std::size_t>(attribute.elementSize) * sizeof(float);
    const std::size_t offset = static_cast<std::size_t>(attribute.offset);
    const std::size_t step =
        attribute.stride != 0 ? static_cast<std::size_t>(attribute.stride) : elementBytes;
    if (bytes < offset + elementBytes)
    {
        return 0;
    }
    return (bytes - offset - elementBytes) / step + 1;
}

std::size_t MeshBuffer::GetVertexCount() const
{
    std::size_t count = std::numeric_limits<std::size_t>::max();
    for (const MeshAttribute& attribute : m_attributes)
    {
        if (attribute.divisor == 0)
        {
            count = std::min(count, CountElements(attribute));
        }
    }
    return HasPerVertexAttribute() ? count : 0;
}

bool MeshBuffer::HasPerVertexAttribute() const
{
    return std::ranges::any_of(m_attributes,
                               [](const MeshAttribute& attribute) { return attribute.divisor == 0; });
}
} // namespace Morvane::Graphics
