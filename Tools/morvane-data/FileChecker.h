#pragma once

#include "IValidator.h"

#include <memory>
#include <string>
#include <vector>

namespace MorvaneData
{
// Loads a data file through the engine's file parser, then hands its tree to every validator that
// understands its root.
class FileChecker
{
public:
    FileChecker();

    // True when the file loads and every validator that handles it agrees.
    bool Check(const std::string& path);

private:
    std::vector<std::unique_ptr<IValidator>> m_validators;
};
} // namespace MorvaneData
