#include "Platform/ThreadName.h"

#include <pthread.h>

namespace Morvane::Platform
{
void SetThreadName(std::thread& thread, const std::string& name)
{
    pthread_setname_np(thread.native_handle(), name.substr(0, 15).c_str());
}
} // namespace Morvane::Platform
