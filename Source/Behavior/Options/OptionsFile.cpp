#include "Behavior/Options/OptionsFile.h"

#include "Platform/TemporaryFile.h"
#include "System/Logging/Format.h"
#include "System/Logging/LoggingSystem.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <tinyxml2.h>
#include <utility>

using Morvane::Format;

namespace
{
using Problems = std::vector<std::string>;

const char* const kRoot = "Options";
// Binary fractions miss the steps they are written for by far less than this ("0.7" is 7.000000000000001
// tenths).
constexpr double kStepTolerance = 1e-6;

const char* BoolText(bool value)
{
    return value ? "true" : "false";
}

// A whole-file problem: nothing in the file is used.
void AllDefaults(Problems& problems, const std::string& what)
{
    problems.push_back(what + ": every option keeps its default");
}

void ReadBool(const char* name, const char* text, bool& value, Problems& problems)
{
    if (std::strcmp(text, "true") == 0 || std::strcmp(text, "false") == 0)
    {
        value = std::strcmp(text, "true") == 0;
        return;
    }
    problems.push_back(Format("%s '%s' is not true or false: %s is used", name, text, BoolText(value)));
}

// The attribute's number when it is finite and within [minimum, maximum]; otherwise the problem is added
// and the default, already in place, stays.
std::optional<double> ReadNumber(const char* name, const char* text, double minimum, double maximum,
                                 const std::string& defaultText, Problems& problems)
{
    const char* const end = text + std::strlen(text);
    double number = 0.0;
    const auto [stop, error] = std::from_chars(text, end, number);
    if (stop == text || stop != end || (error != std::errc() && error != std::errc::result_out_of_range))
    {
        problems.push_back(Format("%s '%s' is not a number: %s is used", name, text, defaultText.c_str()));
        return std::nullopt;
    }
    if (error == std::errc::result_out_of_range || !std::isfinite(number))
    {
        problems.push_back(Format("%s '%s' is not finite: %s is used", name, text, defaultText.c_str()));
        return std::nullopt;
    }
    if (number < minimum || number > maximum)
    {
        problems.push_back(Format("%s '%s' is outside %g to %g: %s is used", name, text, minimum, maximum,
                                  defaultText.c_str()));
        return std::nullopt;
    }
    return number;
}

std::string VolumeText(int tenths)
{
    return tenths == OptionValues::kVolumeTenths ? "1" : tenths == 0 ? "0" : Format("0.%d", tenths);
}

void ReadVolume(const char* name, const char* text, OptionValues& values, Problems& problems)
{
    const std::optional<double> volume =
        ReadNumber(name, text, 0.0, 1.0, VolumeText(values.volumeTenths), problems);
    if (!volume)
    {
        return;
    }
    const double tenths = *volume * OptionValues::kVolumeTenths;
    values.volumeTenths = static_cast<int>(std::lround(tenths));
    if (std::abs(tenths - values.volumeTenths) > kStepTolerance)
    {
        problems.push_back(Format("%s '%s' is not a tenth: %s is used", name, text,
                                  VolumeText(values.volumeTenths).c_str()));
    }
}

void ReadQuality(const char* name, const char* text, OptionValues& values, Problems& problems)
{
    const auto& steps = OptionValues::kQualitySteps;
    const std::optional<double> quality = ReadNumber(name, text, steps.front().factor, steps.back().factor,
                                                     steps[values.qualityIndex].text, problems);
    if (!quality)
    {
        return;
    }
    values.qualityIndex = OptionValues::NearestQuality(*quality);
    if (OptionValues::FindQuality(*quality, kStepTolerance) < 0)
    {
        std::string offered;
        for (const OptionValues::QualityStep& step : steps)
        {
            offered += (offered.empty() ? "" : ", ") + std::string(step.text);
        }
        problems.push_back(Format("%s '%s' is not one of %s: %s is used", name, text, offered.c_str(),
                                  steps[values.qualityIndex].text));
    }
}

void ReadSensitivity(const char* name, const char* text, OptionValues& values, Problems& problems)
{
    const std::optional<double> sensitivity =
        ReadNumber(name, text, OptionValues::kMinimumSensitivity, OptionValues::kMaximumSensitivity,
                   std::to_string(values.mouseSensitivity), problems);
    if (!sensitivity)
    {
        return;
    }
    values.mouseSensitivity = static_cast<int>(std::lround(*sensitivity));
    if (std::abs(*sensitivity - values.mouseSensitivity) > kStepTolerance)
    {
        problems.push_back(
            Format("%s '%s' is not a whole number: %d is used", name, text, values.mouseSensitivity));
    }
}

// One attribute of the file: a flag of the record or a number with its own reader.
struct Field
{
    const char* name;
    bool OptionValues::*flag;
    void (*read)(const char* name, const char* text, OptionValues& values, Problems& problems);
};

const Field kFields[] = {
    {"fullScreen", &OptionValues::fullScreen, nullptr},
    {"volume", nullptr, &ReadVolume},
    {"quality", nullptr, &ReadQuality},
    {"fxaa", &OptionValues::fxaa, nullptr},
    {"vsync", &OptionValues::verticalSync, nullptr},
    {"invertY", &OptionValues::invertY, nullptr},
    {"sensitivity", nullptr, &ReadSensitivity},
};

const Field* FindField(const char* name)
{
    for (const Field& field : kFields)
    {
        if (std::strcmp(field.name, name) == 0)
        {
            return &field;
        }
    }
    return nullptr;
}

// Makes every missing folder of `folder` with mode 0700 (the folders of a user's settings are private).
bool MakeFolders(const std::filesystem::path& folder)
{
    std::filesystem::path made;
    for (const std::filesystem::path& part : folder)
    {
        made /= part;
        if (mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
        {
            return false;
        }
    }
    return true;
}
} // namespace

std::filesystem::path OptionsFile::UserPath()
{
    const std::filesystem::path name = std::filesystem::path("brimora") / "options.xml";
    if (const char* config = std::getenv("XDG_CONFIG_HOME");
        config != nullptr && std::filesystem::path(config).is_absolute())
    {
        return config / name;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && std::filesystem::path(home).is_absolute())
    {
        return std::filesystem::path(home) / ".config" / name;
    }
    Morvane::Log::Warning(kChannel, "Neither XDG_CONFIG_HOME nor HOME names an absolute folder: the options "
                                    "are neither read nor saved");
    return {};
}

OptionsFile::OptionsFile(std::filesystem::path path) : m_path(std::move(path)) {}

OptionValues OptionsFile::Read(std::vector<std::string>& problems) const
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(m_path, error);
    if (status.type() == std::filesystem::file_type::not_found)
    {
        return {};
    }
    if (error || status.type() != std::filesystem::file_type::regular)
    {
        AllDefaults(problems, error ? "the file cannot be reached (" + error.message() + ")"
                              : status.type() == std::filesystem::file_type::directory
                                  ? "a folder stands in its place"
                                  : "it is not a regular file");
        return {};
    }
    const std::uintmax_t size = std::filesystem::file_size(m_path, error);
    if (!error && size > kMaximumSize)
    {
        AllDefaults(problems, Format("the file is larger than %ju bytes", kMaximumSize));
        return {};
    }
    std::string text(error ? 0 : size, '\0');
    std::ifstream file(m_path, std::ios::binary);
    if (error || !file.read(text.data(), static_cast<std::streamsize>(text.size())))
    {
        AllDefaults(problems, Format("the file cannot be read (%s)",
                                     error ? error.message().c_str() : std::strerror(errno)));
        return {};
    }
    return FromText(text, problems);
}

OptionValues OptionsFile::Load() const
{
    std::error_code ignored;
    if (std::filesystem::status(m_path, ignored).type() == std::filesystem::file_type::not_found)
    {
        Morvane::Log::Info(kChannel, Format("No options file at '%s' yet", m_path.c_str()));
    }
    std::vector<std::string> problems;
    const OptionValues values = Read(problems);
    for (const std::string& problem : problems)
    {
        Morvane::Log::Warning(kChannel, Format("%s: %s", m_path.c_str(), problem.c_str()));
    }
    return values;
}

bool OptionsFile::Save(const OptionValues& values) const
{
    const auto fail = [this](const char* what)
    {
        Morvane::Log::Warning(kChannel, Format("Could not save the options to '%s' (%s: %s)", m_path.c_str(),
                                               what, std::strerror(errno)));
        return false;
    };
    const std::filesystem::path folder = m_path.parent_path();
    if (!MakeFolders(folder))
    {
        return fail("making its folder");
    }
    Morvane::Platform::TemporaryFile temporary(m_path.string() + ".XXXXXX");
    if (!temporary.IsMade())
    {
        return fail("making a temporary file");
    }
    if (!temporary.Write(ToText(values)))
    {
        return fail("writing");
    }
    if (!temporary.RenameTo(m_path.string()))
    {
        return fail("replacing the file");
    }
    return true;
}

std::string OptionsFile::ToText(const OptionValues& values)
{
    return Format(
        "<%s fullScreen=\"%s\" volume=\"%s\" quality=\"%s\" fxaa=\"%s\" vsync=\"%s\" invertY=\"%s\" "
        "sensitivity=\"%d\"/>\n",
        kRoot, BoolText(values.fullScreen), VolumeText(values.volumeTenths).c_str(),
        OptionValues::kQualitySteps[values.qualityIndex].text, BoolText(values.fxaa),
        BoolText(values.verticalSync), BoolText(values.invertY), values.mouseSensitivity);
}

OptionValues OptionsFile::FromText(const std::string& text, std::vector<std::string>& problems)
{
    OptionValues values;
    if (text.find_first_not_of(" \t\r\n") == std::string::npos)
    {
        AllDefaults(problems, "the file is empty");
        return values;
    }
    tinyxml2::XMLDocument document;
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
    {
        AllDefaults(problems, Format("the file is not XML (%s at line %d)", document.ErrorName(),
                                     document.ErrorLineNum()));
        return values;
    }
    const tinyxml2::XMLElement* root = document.RootElement();
    if (root == nullptr || std::strcmp(root->Name(), kRoot) != 0)
    {
        AllDefaults(problems, root == nullptr ? std::string("the file holds no element")
                                              : Format("the root is '%s', not '%s'", root->Name(), kRoot));
        return values;
    }
    for (const tinyxml2::XMLAttribute* attribute = root->FirstAttribute(); attribute != nullptr;
         attribute = attribute->Next())
    {
        const Field* field = FindField(attribute->Name());
        if (field == nullptr)
        {
            problems.push_back(Format("unknown attribute '%s' is ignored", attribute->Name()));
        }
        else if (field->flag != nullptr)
        {
            ReadBool(field->name, attribute->Value(), values.*field->flag, problems);
        }
        else
        {
            field->read(field->name, attribute->Value(), values, problems);
        }
    }
    for (const tinyxml2::XMLElement* child = root->FirstChildElement(); child != nullptr;
         child = child->NextSiblingElement())
    {
        problems.push_back(Format("unknown element '%s' is ignored", child->Name()));
    }
    return values;
}
