#include "Graphics/BackBuffer.h"

#include "Graphics/OpenGL.h"

#include <algorithm>
#include <cstddef>

namespace Morvane::Graphics
{
Texture::RgbImage ReadBackBuffer(int width, int height)
{
    Texture::RgbImage image;
    if (width <= 0 || height <= 0)
    {
        return image;
    }
    GLint readFrameBuffer = 0;
    GLint readBuffer = 0;
    GLint alignment = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFrameBuffer);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);

    const auto rowBytes = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> bottomUp(rowBytes * static_cast<std::size_t>(height));
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());

    glPixelStorei(GL_PACK_ALIGNMENT, alignment);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFrameBuffer));
    if (readFrameBuffer == 0)
    {
        glReadBuffer(static_cast<GLenum>(readBuffer));
    }

    // GL's rows run from the bottom up; pictures are stored from the top down.
    image.width = width;
    image.height = height;
    image.rgb.resize(bottomUp.size());
    for (int row = 0; row < height; ++row)
    {
        const auto source = bottomUp.begin() + static_cast<std::ptrdiff_t>(rowBytes) * (height - 1 - row);
        std::copy(source, source + static_cast<std::ptrdiff_t>(rowBytes),
                  image.rgb.begin() + static_cast<std::ptrdiff_t>(rowBytes) * row);
    }
    return image;
}
} // namespace Morvane::Graphics
