// Any text given to FromString either fails cleanly or gives a tree whose saved form reads back
// and saves again to the same length.
#include "FuzzSupport.h"
#include "Parsing/XMLParserData/XMLParserData.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

using namespace Morvane;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    XMLParserData node;
    if (!node.FromString(text))
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
    const std::string savedAgain = reloaded.ToString();
    Fuzzing::Require(savedAgain.size() == saved.size(), "saving a reloaded tree gives the same length");
    Fuzzing::Require(reloaded.GetName() == node.GetName(), "the root keeps its name");
    Fuzzing::Require(reloaded.GetInnerText() == node.GetInnerText(), "the root keeps its text");
    return 0;
}
