#pragma once

#include "Platform/MessageBox.h"

#include <mutex>
#include <string>
#include <vector>

namespace Morvane::Testing
{
// Records every message box shown, from any thread, instead of showing it, while it lives.
class MessageBoxRecorder
{
public:
    struct Box
    {
        std::string text;
        std::string caption;
    };

    MessageBoxRecorder()
    {
        Platform::SetMessageBoxHandler(
            [this](const std::string& text, const std::string& caption)
            {
                const std::lock_guard lock(m_mutex);
                m_boxes.push_back({text, caption});
            });
    }
    ~MessageBoxRecorder() { Platform::SetMessageBoxHandler({}); }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<Box> GetBoxes() const
    {
        const std::lock_guard lock(m_mutex);
        return m_boxes;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Box> m_boxes;
};
} // namespace Morvane::Testing
