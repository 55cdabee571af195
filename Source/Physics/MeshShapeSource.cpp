#include "Physics/MeshShapeSource.h"

#include "Renderable/Mesh.h"
#include "Resources/ResourceSystem.h"
#include "Shape/ConvexPolyhedra.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

namespace Morvane::Physics
{
namespace
{
const char* const kChannel = "ConvexPolyhedra shape";

// Where the positions sit in the first buffer: its first attribute (stride 0 meaning tightly packed).
bool PositionLayout(const Graphics::MeshBuffer& buffer, VertexLayout& layout)
{
    if (buffer.GetAttributes().empty())
    {
        layout = VertexLayout{};
        return true;
    }
    const Graphics::MeshAttribute& position = buffer.GetAttributes().front();
    const int floatSize = static_cast<int>(sizeof(float));
    if (position.elementSize < 3 || position.offset < 0 || position.stride < 0 ||
        position.offset % floatSize != 0 || position.stride % floatSize != 0)
    {
        return false;
    }
    layout.offset = static_cast<std::size_t>(position.offset / floatSize);
    layout.stride = position.stride == 0 ? static_cast<std::size_t>(position.elementSize)
                                         : static_cast<std::size_t>(position.stride / floatSize);
    return true;
}
} // namespace

MeshReadiness BuildFromMesh(const std::string& meshName, ConvexPolyhedra& shape)
{
    const auto* mesh = Resources::System::GetInstance().GetResource<Graphics::Mesh>(meshName);
    if (mesh == nullptr)
    {
        shape.Clear();
        return MeshReadiness::Missing;
    }
    if (!mesh->IsInitialized())
    {
        return MeshReadiness::Loading;
    }
    VertexLayout layout;
    if (mesh->GetBufferCount() == 0 || !PositionLayout(mesh->GetBuffer(0), layout))
    {
        Log::Warning(kChannel, Format("Mesh '%s' holds no positions in its first buffer", meshName.c_str()));
        shape.Clear();
        return MeshReadiness::Missing;
    }
    shape.Build(mesh->GetIndices(), mesh->GetBuffer(0).GetData(), layout);
    return MeshReadiness::Built;
}
} // namespace Morvane::Physics
