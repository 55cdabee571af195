#include "Platform/MessageBox.h"

#include "Platform/InteractiveDisplay.h"
#include "Platform/Interrupt.h"

#include <SDL.h>
#include <cstdio>
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

void ShowDefault(const std::string& text, const std::string& caption)
{
    if (HasInteractiveDisplay())
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
