#pragma once

#include <map>
#include <string>

namespace Morvane
{
class IParserData;

// Named integer constants grouped in contexts, so that data may say "GL_LINEAR" where a number is meant.
class ConstantManager
{
public:
    static ConstantManager& GetInstance();

    bool Parse(IParserData* data);
    int GetConstant(const std::string& context, const std::string& name, int defaultValue) const;

private:
    using Context = std::map<std::string, int>;

    ConstantManager() = default;
    ConstantManager(const ConstantManager&) = delete;
    ConstantManager& operator=(const ConstantManager&) = delete;

    void ParseContext(const IParserData& element);

    std::map<std::string, Context> contexts;
};
} // namespace Morvane
