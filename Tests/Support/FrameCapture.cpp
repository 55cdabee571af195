#include "FrameCapture.h"

#include "Graphics/GraphicsSystem.h"
#include "Graphics/OpenGL.h"

#include <algorithm>
#include <vector>

namespace Morvane::Testing
{
Texture::RgbImage CaptureFrame(int width, int height)
{
    const auto columns = static_cast<std::size_t>(width);
    const auto lines = static_cast<std::size_t>(height);
    Texture::RgbImage picture{width, height, std::vector<std::uint8_t>(columns * lines * 3)};
    std::vector<std::uint8_t> rows(picture.rgb.size());
    Graphics::System& graphics = Graphics::System::GetInstance();
    graphics.SetFrameHook(
        [&]
        {
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
        });
    graphics.Update(0.016f);
    graphics.SetFrameHook({});
    const std::size_t row = columns * 3;
    for (std::size_t y = 0; y < lines; ++y)
    {
        std::copy_n(&rows[(lines - 1 - y) * row], row, &picture.rgb[y * row]);
    }
    return picture;
}
} // namespace Morvane::Testing
