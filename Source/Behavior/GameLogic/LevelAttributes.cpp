#include "Behavior/GameLogic/LevelAttributes.h"

#include "System/StringUtilities/StringUtilities.h"

#include <utility>

namespace LevelAttributes
{
namespace
{
struct CommonAttribute
{
    unsigned bit;
    const char* name;
};

const CommonAttribute kCommonAttributes[] = {
    {GameLogic::kPosition, "pos"},
    {GameLogic::kScale, "scale"},
    {GameLogic::kRotation, "rotation"},
    {GameLogic::kColor, "color"},
};
} // namespace

std::vector<std::string> Read(const GameLogic::LevelTag& tag)
{
    std::vector<std::string> names;
    for (const CommonAttribute& common : kCommonAttributes)
    {
        if ((tag.attributes & common.bit) != 0)
        {
            names.emplace_back(common.name);
        }
    }
    for (std::string& name : Morvane::StringUtilities::Split(tag.reads, ' '))
    {
        if (!name.empty())
        {
            names.push_back(std::move(name));
        }
    }
    return names;
}
} // namespace LevelAttributes
