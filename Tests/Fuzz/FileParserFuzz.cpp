// Any file content goes through the file parser without a crash, a leak or an unreported failure.
#include "FuzzSupport.h"
#include "Parsing/FileParser/FileParser.h"
#include "Parsing/IParserData.h"

#include <unistd.h>

using namespace Morvane;

namespace
{
std::string g_path;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Fuzzing::SilenceLog();
    // A memory-backed folder where there is one: every input is written to disk.
    const char* const folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    g_path = std::string(folder) + "/morvane-fuzz-" + std::to_string(getpid()) + ".xml";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(g_path.c_str(), "wb");
    Fuzzing::Require(file != nullptr && std::fwrite(data, 1, size, file) == size, "the input is written");
    std::fclose(file);

    FileParser parser;
    const IParserData* root = parser.Parse(g_path);
    if (root != nullptr)
    {
        Fuzzing::Require(!root->GetName().empty(), "a loaded root has a name");
        // A second parse frees the first tree whatever its shape.
        Fuzzing::Require(parser.Parse(g_path) != nullptr, "a readable file reads again");
    }
    // libFuzzer ends without running exit handlers: leave nothing behind after any input.
    std::remove(g_path.c_str());
    return 0;
}
