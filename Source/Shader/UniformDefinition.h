#pragma once

#include <string>

namespace Morvane::Graphics
{
// One GLSL uniform the engine knows of: where the program keeps it, its GL type and size as OpenGL
// reports them, and the engine value (purpose) the drawing code uploads into it.
struct UniformDefinition
{
    // GL_INVALID_ENUM: not introspected yet.
    static constexpr unsigned kUnknownType = 0x0500;

    int m_location = -1;
    unsigned m_type = kUnknownType;
    int m_purpose = 0;
    int m_customPurpose = -1;
    std::string m_name;
    int m_size = 1;
};
} // namespace Morvane::Graphics
