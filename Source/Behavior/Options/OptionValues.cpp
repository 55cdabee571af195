#include "Behavior/Options/OptionValues.h"

#include <cmath>

int OptionValues::FindQuality(double factor, double tolerance)
{
    for (int index = 0; index < static_cast<int>(kQualitySteps.size()); ++index)
    {
        if (std::abs(factor - static_cast<double>(kQualitySteps[index].factor)) <= tolerance)
        {
            return index;
        }
    }
    return -1;
}

int OptionValues::NearestQuality(double factor)
{
    int nearest = 0;
    for (int index = 1; index < static_cast<int>(kQualitySteps.size()); ++index)
    {
        if (std::abs(factor - static_cast<double>(kQualitySteps[index].factor)) <
            std::abs(factor - static_cast<double>(kQualitySteps[nearest].factor)))
        {
            nearest = index;
        }
    }
    return nearest;
}
