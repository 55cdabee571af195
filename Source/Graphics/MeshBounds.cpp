#include "Graphics/MeshBounds.h"

#include "Renderable/Mesh.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace Morvane::Graphics
{
namespace
{
float RadiusOf(const MeshBuffer& buffer, const MeshAttribute& attribute)
{
    const std::vector<float>& data = buffer.GetData();
    const std::size_t components = static_cast<std::size_t>(std::clamp(attribute.elementSize, 1, 3));
    const std::size_t stride = attribute.stride > 0
                                   ? static_cast<std::size_t>(attribute.stride) / sizeof(float)
                                   : static_cast<std::size_t>(attribute.elementSize);
    const std::size_t count = buffer.CountElements(attribute);
    const std::size_t first = static_cast<std::size_t>(std::max(attribute.offset, 0)) / sizeof(float);
    float largest = 0.0f;
    for (std::size_t element = 0; element < count; ++element)
    {
        float squared = 0.0f;
        for (std::size_t component = 0; component < components; ++component)
        {
            const std::size_t index = first + element * stride + component;
            if (index < data.size())
            {
                squared += data[index] * data[index];
            }
        }
        largest = std::max(largest, squared);
    }
    return std::sqrt(largest);
}
} // namespace

float BoundingRadius(const Mesh& mesh)
{
    float radius = 0.0f;
    for (std::size_t index = 0; index < mesh.GetBufferCount(); ++index)
    {
        const MeshBuffer& buffer = mesh.GetBuffer(index);
        for (const MeshAttribute& attribute : buffer.GetAttributes())
        {
            if (attribute.location == 0 && attribute.divisor == 0)
            {
                radius = std::max(radius, RadiusOf(buffer, attribute));
            }
        }
    }
    return radius;
}
} // namespace Morvane::Graphics
