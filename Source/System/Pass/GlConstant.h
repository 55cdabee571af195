#pragma once

#include "Graphics/OpenGL.h"

#include <string>

namespace Morvane
{
class IParserData;
}

namespace Morvane::Graphics
{
// The GL enumeration an attribute names through the "OpenGL" constants; `fallback` when the attribute
// is missing or names no constant.
GLenum ReadGlConstant(const IParserData& data, const std::string& attribute, GLenum fallback);
} // namespace Morvane::Graphics
