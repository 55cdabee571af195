#pragma once

#include <functional>

namespace Morvane
{
class IParserData;

// "Section" elements only group: their children read as if they stood in the section's place.
// Visits the children of `element` in document order, entering sections to any depth. The first
// visit that returns false stops the walk; `sectionFailed` is then called once for each section the
// walk was inside, innermost first, so that each caller logs its own message. False when stopped.
bool ForEachInSections(IParserData& element, const std::function<bool(IParserData& child)>& visit,
                       const std::function<void()>& sectionFailed);
} // namespace Morvane
