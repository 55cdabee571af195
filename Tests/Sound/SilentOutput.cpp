#include <cstdlib>

namespace
{
// Keeps OpenAL Soft away from the machine's sound devices, so every test runs on the no-sound output
// (whose mix the tests read) whether the machine has a sound card or not. Runs before main, ahead of
// the first OpenAL call.
const bool kSilentOutput = setenv("ALSOFT_DRIVERS", "none", 1) == 0;
} // namespace
