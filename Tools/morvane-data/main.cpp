#include "DataTool.h"

#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    // A command-line tool reports on its output; an assertion must never wait on a box.
    setenv("MORVANE_NO_MESSAGE_BOX", "1", 1);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return MorvaneData::DataTool().Run(arguments);
}
