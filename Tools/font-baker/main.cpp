#include "BakeOptions.h"
#include "FontBaker.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    FontBaker::BakeOptions options;
    std::string error;
    if (!FontBaker::ParseBakeOptions(arguments, options, error))
    {
        std::cerr << error << "\n";
        return 2;
    }
    if (!FontBaker::Bake(options, error))
    {
        std::cerr << "font-baker: " << error << "\n";
        return 1;
    }
    return 0;
}
