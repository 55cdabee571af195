#pragma once

#include "IValidator.h"
#include "LevelProject.h"

#include <memory>

namespace MorvaneData
{
// A level: its root is a "Level". Checked against the game logic's level tags and the archetypes of
// the level's project (see LevelCheck); every finding is logged as "file:line: message".
class LevelValidator : public IValidator
{
public:
    bool Handles(const Morvane::IParserData& root) const override;
    bool Validate(Morvane::IParserData& root, const std::string& path) override;

private:
    // The last level's project, kept for the next level of the same data with the archetypes it read.
    std::unique_ptr<LevelProject> m_project;
};
} // namespace MorvaneData
