#pragma once

#include "System/Pass/Command.h"

namespace Morvane::Graphics
{
class Camera;
class Texture;
} // namespace Morvane::Graphics

namespace Morvane::Graphics::Commands
{
// "Viewport": the texture's size when one is named, else the camera's, else "width" x "height";
// sizes are read when the command runs, so resized textures and cameras are followed.
class Viewport : public Command
{
public:
    bool Parse(const IParserData* data) override;
    void Execute() override;

private:
    int m_startX = 0;
    int m_startY = 0;
    int m_width = 320;
    int m_height = 320;
    Camera* m_camera = nullptr;
    Texture* m_texture = nullptr;
};
} // namespace Morvane::Graphics::Commands
