#include "LogCapture.h"

#include "System/Logging/LoggingSystem.h"

#include <gtest/gtest.h>

namespace Morvane::Testing
{
LogCapture::LogCapture()
{
    Logging::System::GetInstance().GetConsole().SetColourEnabled(false);
    testing::internal::CaptureStdout();
}

LogCapture::~LogCapture()
{
    Text();
}

const std::string& LogCapture::Text()
{
    if (m_capturing)
    {
        m_capturing = false;
        m_text = testing::internal::GetCapturedStdout();
    }
    return m_text;
}
} // namespace Morvane::Testing
