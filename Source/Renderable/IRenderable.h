#pragma once

namespace Morvane::Graphics
{
// Something a graphics component can draw with the current program.
class IRenderable
{
public:
    virtual ~IRenderable() = default;
    virtual void Draw() = 0;
    virtual void DrawInstanced(int count) = 0;

protected:
    IRenderable() = default;
    IRenderable(const IRenderable&) = default;
    IRenderable& operator=(const IRenderable&) = default;
};
} // namespace Morvane::Graphics
