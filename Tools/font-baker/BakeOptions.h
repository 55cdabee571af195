#pragma once

#include <string>
#include <vector>

namespace FontBaker
{
// The command line: font-baker FONT.ttf PIXELS OUT.xml [--chars 32-126,160-255] [--page 512]
struct BakeOptions
{
    std::string fontPath;
    std::string outputPath;
    int pixels = 0;
    int pageSize = 512;
    std::vector<unsigned> codes;
};

// Fills `options`; false with `error` set for a bad command line.
bool ParseBakeOptions(const std::vector<std::string>& arguments, BakeOptions& options, std::string& error);
} // namespace FontBaker
