#include "Renderable/MeshContent.h"

#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <algorithm>
#include <bitset>
#include <limits>
#include <numeric>

namespace Morvane::Graphics
{
namespace
{
// Vertices every buffer with per-vertex attributes can feed; 0 when no buffer has any.
std::size_t SharedVertexCount(const std::vector<MeshBuffer>& buffers)
{
    std::size_t count = std::numeric_limits<std::size_t>::max();
    bool any = false;
    for (const MeshBuffer& buffer : buffers)
    {
        if (buffer.HasPerVertexAttribute())
        {
            any = true;
            count = std::min(count, buffer.GetVertexCount());
        }
    }
    return any ? count : 0;
}
} // namespace

bool MeshContent::CheckLayout(const std::string& channel) const
{
    std::bitset<kMaxVertexAttributes> used;
    for (const MeshBuffer& buffer : buffers)
    {
        for (const MeshAttribute& attribute : buffer.GetAttributes())
        {
            if (attribute.location < 0 || attribute.location >= kMaxVertexAttributes)
            {
                Log::Error(channel, Format("Attribute description: Location '%d' is not below %d",
                                           attribute.location, kMaxVertexAttributes));
                return false;
            }
            if (used.test(static_cast<std::size_t>(attribute.location)))
            {
                Log::Error(channel,
                           "Mesh attribute location have been duplicated, please specify them manually");
                return false;
            }
            used.set(static_cast<std::size_t>(attribute.location));
        }
    }
    if (buffers.empty())
    {
        Log::Error(channel, "Could not generate indices");
        return false;
    }
    if (indices.empty())
    {
        if (SharedVertexCount(buffers) == 0)
        {
            Log::Error(channel, "Could not generate indices");
            return false;
        }
        return true;
    }
    const std::uint32_t largest = *std::ranges::max_element(indices);
    for (std::size_t index = 0; index < buffers.size(); ++index)
    {
        const MeshBuffer& buffer = buffers[index];
        if (buffer.HasPerVertexAttribute() && largest >= buffer.GetVertexCount())
        {
            Log::Error(channel, Format("Index '%u' is past the %zu vertices of buffer %zu", largest,
                                       buffer.GetVertexCount(), index));
            return false;
        }
    }
    return true;
}

std::vector<std::uint32_t> MeshContent::IndicesToDraw() const
{
    if (!indices.empty())
    {
        return indices;
    }
    std::vector<std::uint32_t> generated(SharedVertexCount(buffers));
    std::iota(generated.begin(), generated.end(), 0u);
    return generated;
}
} // namespace Morvane::Graphics
