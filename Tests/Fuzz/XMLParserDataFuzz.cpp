// Any text given to FromString either fails cleanly or gives a tree whose saved form reads back
// and saves again to the same length.
#include "FuzzSupport.h"
#include "Parsing/XMLParserData/XMLParserData.h"

#include <stdexcept>

using namespace Morvane;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    XMLParserData node;
    if (!node.FromString(std::string(reinterpret_cast<const char*>(data), size)))
    {
        return 0;
    }
    std::string saved;
    try
    {
        saved = node.ToString();
    }
    catch (const std::runtime_error&)
    {
        // Text beside child elements cannot be saved: an assertion, by design.
        return 0;
    }
    XMLParserData reloaded;
    Fuzzing::Require(reloaded.FromString(saved), "a saved tree reads back");
    Fuzzing::Require(reloaded.ToString().size() == saved.size(),
                     "saving a reloaded tree gives the same length");
    Fuzzing::Require(reloaded.GetName() == node.GetName() && reloaded.GetInnerText() == node.GetInnerText(),
                     "the root keeps its name and text");
    return 0;
}
