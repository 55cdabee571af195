#pragma once

namespace Morvane
{
// Reports an exception that reached the program's outermost guard.
void ReportCrash(unsigned long exceptionCode);
} // namespace Morvane
