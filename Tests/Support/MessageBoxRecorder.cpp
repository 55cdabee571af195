#include "MessageBoxRecorder.h"

#include "Platform/MessageBox.h"

namespace Morvane::Testing
{
MessageBoxRecorder::MessageBoxRecorder()
{
    Platform::SetMessageBoxHandler(
        [this](const std::string& text, const std::string& caption)
        {
            const std::lock_guard lock(m_mutex);
            m_boxes.push_back({text, caption});
        });
}

MessageBoxRecorder::~MessageBoxRecorder()
{
    Platform::SetMessageBoxHandler({});
}

std::vector<MessageBoxRecorder::Box> MessageBoxRecorder::GetBoxes() const
{
    const std::lock_guard lock(m_mutex);
    return m_boxes;
}
} // namespace Morvane::Testing
