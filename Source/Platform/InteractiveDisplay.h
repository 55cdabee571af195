#pragma once

namespace Morvane::Platform
{
// Whether someone may be sitting at a real display: a desktop is named and SDL's display-less video
// drivers are not in use, and the run is not one of the unattended ones (MORVANE_NO_MESSAGE_BOX set,
// as tests and captures do). Windows and programs meant for a person open only then.
bool HasInteractiveDisplay();
} // namespace Morvane::Platform
