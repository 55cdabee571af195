// Any bytes read as an options file give values the game offers, and the text saved for them reads back
// as the same values without a problem.
#include "Behavior/Options/OptionsFile.h"
#include "FuzzSupport.h"

#include <string>
#include <vector>

using namespace Morvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> problems;
    const OptionValues values =
        OptionsFile::FromText(std::string(reinterpret_cast<const char*>(data), size), problems);
    Fuzzing::Require(values.volumeTenths >= 0 && values.volumeTenths <= OptionValues::kVolumeTenths,
                     "the volume is a tenth from 0 to 1");
    Fuzzing::Require(values.qualityIndex >= 0 &&
                         values.qualityIndex < static_cast<int>(OptionValues::kQualitySteps.size()),
                     "the quality is one of the steps");
    Fuzzing::Require(values.mouseSensitivity >= OptionValues::kMinimumSensitivity &&
                         values.mouseSensitivity <= OptionValues::kMaximumSensitivity,
                     "the sensitivity is from 1 to 10");
    std::vector<std::string> again;
    Fuzzing::Require(OptionsFile::FromText(OptionsFile::ToText(values), again) == values && again.empty(),
                     "saving then reading gives the same values");
    return 0;
}
