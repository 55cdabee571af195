// Any XML goes through the capture script reader without a crash or undefined behaviour, and a script it
// accepts only names frames it will run.
#include "Capture/CaptureScript.h"
#include "FuzzSupport.h"
#include "Parsing/XMLParserData/XMLParserData.h"

#include <string>

using namespace Morvane;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    XMLParserData root;
    if (!root.FromString(std::string(reinterpret_cast<const char*>(data), size)))
    {
        return 0;
    }
    Capture::CaptureScript script;
    if (script.Parse(root, "/captures"))
    {
        Fuzzing::Require(script.GetFrameCount() > 0 && script.GetStep() > 0.0f, "an accepted script runs");
        for (const auto& [frame, actions] : script.GetFrames())
        {
            Fuzzing::Require(frame >= 0 && frame < script.GetFrameCount(), "every named frame is run");
        }
    }
    return 0;
}
