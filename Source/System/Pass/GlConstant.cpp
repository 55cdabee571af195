#include "System/Pass/GlConstant.h"

#include "ConstantManager/ConstantManager.h"
#include "Parsing/IParserData.h"

namespace Morvane::Graphics
{
GLenum ReadGlConstant(const IParserData& data, const std::string& attribute, GLenum fallback)
{
    const std::string name = data.GetAttribute(attribute, "");
    // A missing attribute means the default, not an unknown name.
    if (name.empty())
    {
        return fallback;
    }
    const int value = ConstantManager::GetInstance().GetConstant("OpenGL", name, static_cast<int>(fallback));
    return static_cast<GLenum>(value);
}
} // namespace Morvane::Graphics
