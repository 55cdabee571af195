#pragma once

#include "Behavior/GameLogic/GameLogic.h"

#include <string>
#include <vector>

// What the loader reads on each level tag, for the level check and the level writer: one list, so that a
// saved level keeps exactly what the check accepts.
namespace LevelAttributes
{
// Every attribute the loader reads on an element of `tag`, in a fixed order: the common ones it
// applies, then the others its rule reads.
std::vector<std::string> Read(const GameLogic::LevelTag& tag);
} // namespace LevelAttributes
