#pragma once

#include "Graphics/OpenGL.h"

#include <glm/vec4.hpp>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace Morvane::Testing
{
// A test with the real window and graphics systems on SDL's offscreen driver (EGL, no X server), the
// "OpenGL" constants loaded and OpenGL's debug output watched: an error OpenGL reports fails the test
// unless the test takes it with TakeGlErrors.
class GlTest : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The errors OpenGL reported since the last call.
    std::vector<std::string> TakeGlErrors();
    // One pixel of the bound read frame buffer, bytes 0 to 255; (0, 0) is the bottom left.
    static glm::u8vec4 ReadPixel(int x, int y);
    // Clears the default frame buffer to `colour` and sets a `width` x `height` viewport.
    static void ClearTo(const glm::vec4& colour, int width = 64, int height = 64);

    // The video driver SetUp asks for; a test may change it before calling GlTest::SetUp.
    std::string m_driver = "offscreen";

private:
    static void GLAPIENTRY OnDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                                          GLsizei length, const GLchar* message, const void* self);

    std::vector<std::string> m_errors;
    bool m_watching = false;
};

// Bytes equal within `tolerance`.
testing::AssertionResult NearColour(const glm::u8vec4& actual, const glm::u8vec4& expected,
                                    int tolerance = 2);
} // namespace Morvane::Testing
