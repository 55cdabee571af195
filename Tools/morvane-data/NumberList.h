#pragma once

#include <string>
#include <vector>

namespace MorvaneData
{
// Numbers as level attributes write them, separated by ';' ("0;1.5;-2"), read strictly: the engine's
// atof takes "1x" for 1 and "x" for 0 without a word.
struct NumberList
{
    std::vector<float> numbers;
    // Empty when every piece is a finite float; else what is wrong with the first piece that is not.
    std::string problem;
};

// One ';' after the last number is allowed: the engine saves vectors as "1.000000 ;2.000000 ;".
NumberList ReadNumbers(const std::string& text);
} // namespace MorvaneData
