#include "GlTest.h"

#include "Graphics/GraphicsSystem.h"
#include "Resources/ResourceSystem.h"
#include "Support/GraphicsData.h"
#include "Support/SdlEvents.h"
#include "Window/WindowSystem.h"

#include <SDL.h>
#include <cstdlib>
#define GLM_ENABLE_EXPERIMENTAL
#include <glm/gtx/string_cast.hpp>

namespace Morvane::Testing
{
void GlTest::SetUp()
{
    PrepareVideoForTests();
    setenv("SDL_VIDEODRIVER", m_driver.c_str(), 1);
    // Mesa's shader cache skips compiling sources it has seen, and with the compile the info log.
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    LoadOpenGLConstants();
    ASSERT_TRUE(Window::System::GetInstance().Initialize());
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, SDL_GL_CONTEXT_DEBUG_FLAG);
    ASSERT_TRUE(Graphics::System::GetInstance().Initialize());
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageCallback(&GlTest::OnDebugMessage, this);
    m_watching = true;
}

void GlTest::TearDown()
{
    if (m_watching)
    {
        glFinish();
        for (const std::string& error : TakeGlErrors())
        {
            ADD_FAILURE() << "OpenGL error: " << error;
        }
        glDebugMessageCallback(nullptr, nullptr);
    }
    Resources::System::GetInstance().Release();
    Graphics::System::GetInstance().Release();
    Window::System::GetInstance().Release();
}

void GLAPIENTRY GlTest::OnDebugMessage(GLenum source, GLenum type, GLuint, GLenum, GLsizei,
                                       const GLchar* message, const void* self)
{
    // Compiler messages are the shader logs, which the engine reads itself.
    if (type == GL_DEBUG_TYPE_ERROR && source != GL_DEBUG_SOURCE_SHADER_COMPILER)
    {
        const_cast<GlTest*>(static_cast<const GlTest*>(self))->m_errors.emplace_back(message);
    }
}

std::vector<std::string> GlTest::TakeGlErrors()
{
    std::vector<std::string> errors;
    errors.swap(m_errors);
    return errors;
}

glm::u8vec4 GlTest::ReadPixel(int x, int y)
{
    glm::u8vec4 pixel(0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
    return pixel;
}

void GlTest::ClearTo(const glm::vec4& colour, int width, int height)
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, width, height);
    glClearColor(colour.r, colour.g, colour.b, colour.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

testing::AssertionResult NearColour(const glm::u8vec4& actual, const glm::u8vec4& expected, int tolerance)
{
    for (int channel = 0; channel < 4; ++channel)
    {
        if (std::abs(int(actual[channel]) - int(expected[channel])) > tolerance)
        {
            return testing::AssertionFailure() << "colour " << glm::to_string(glm::ivec4(actual))
                                               << ", expected " << glm::to_string(glm::ivec4(expected));
        }
    }
    return testing::AssertionSuccess();
}
} // namespace Morvane::Testing
