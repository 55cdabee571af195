#pragma once

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

    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    std::vector<Box> GetBoxes() const;

private:
    mutable std::mutex m_mutex;
    std::vector<Box> m_boxes;
};
} // namespace Morvane::Testing
