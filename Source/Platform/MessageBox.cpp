#include "Platform/MessageBox.h"

#include "Platform/Interrupt.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace Morvane::Platform
{
namespace
{
std::mutex& HandlerMutex()
{
    static std::mutex mutex;
    return mutex;
}

MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

bool HasRealDisplay()
{
    if (IsSet("MORVANE_NO_MESSAGE_BOX") || !(IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY")))
    {
        return false;
    }
    // SDL's display-less video drivers cannot show a box either.
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver == nullptr || (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0);
}

void ShowDefault(const std::string& text, const std::string& caption)
{
    if (HasRealDisplay())
    {
        // The box blocks: nothing polls the interrupt flag until the player closes it.
        const InterruptPollingScope waiting(false);
        if (SDL_ShowSimpleMessageBox(0, caption.c_str(), text.c_str(), nullptr) == 0)
        {
            return;
        }
    }
    // One write, so that no other output lands between the caption and the text.
    const std::string box = (caption.empty() ? "" : "=== " + caption + " ===\n") + text + "\n";
    std::fwrite(box.data(), 1, box.size(), stderr);
    std::fflush(stderr);
}
} // namespace

void ShowMessageBox(const std::string& text, const std::string& caption)
{
    MessageBoxHandler handler;
    {
        const std::lock_guard lock(HandlerMutex());
        handler = Handler();
    }
    if (handler)
    {
        handler(text, caption);
    }
    else
    {
        ShowDefault(text, caption);
    }
}

void SetMessageBoxHandler(MessageBoxHandler handler)
{
    const std::lock_guard lock(HandlerMutex());
    Handler() = std::move(handler);
}
} // namespace Morvane::Platform
