#include "FileChecker.h"

#include "ConstantsValidator.h"
#include "FontValidator.h"
#include "ImportedFile.h"
#include "LevelValidator.h"
#include "OptionsValidator.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"
#include "PathsValidator.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <exception>

namespace MorvaneData
{
namespace
{
const char* const kChannel = "morvane-data";
}

FileChecker::FileChecker()
{
    m_validators.push_back(std::make_unique<ConstantsValidator>());
    m_validators.push_back(std::make_unique<PathsValidator>());
    m_validators.push_back(std::make_unique<FontValidator>());
    m_validators.push_back(std::make_unique<LevelValidator>());
    m_validators.push_back(std::make_unique<OptionsValidator>());
}

bool FileChecker::Check(const std::string& path)
{
    try
    {
        if (ImportedFile::Handles(path))
        {
            std::string text;
            return ImportedFile().Read(path, text);
        }
        Morvane::FileParser parser;
        Morvane::IParserData* root = parser.Parse(path);
        if (root == nullptr)
        {
            return false;
        }
        bool valid = true;
        for (const std::unique_ptr<IValidator>& validator : m_validators)
        {
            if (validator->Handles(*root) && !validator->Validate(*root, path))
            {
                valid = false;
            }
        }
        return valid;
    }
    catch (const std::exception& error)
    {
        // A broken invariant in the engine's reading (an assertion) stops this file only.
        Morvane::Log::Error(kChannel, Morvane::Format("%s: %s", path.c_str(), error.what()));
        return false;
    }
}
} // namespace MorvaneData
