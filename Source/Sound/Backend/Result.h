#pragma once

namespace Morvane::Audio::Backend
{
// Outcome of every back-end operation; anything but Ok means the operation did nothing.
enum class Result
{
    Ok,
    ErrorInvalidParameter,
    ErrorInvalidHandle,
    ErrorNotInitialized,
    ErrorAlreadyInitialized,
    ErrorNoDriver,
    ErrorOutputInit,
    ErrorUnsupported,
    ErrorNeeds3D,
    ErrorFileNotFound,
    ErrorFormat,
    ErrorFileTooLarge,
    ErrorOpenAL,
};

// A readable sentence for log messages.
const char* ErrorString(Result result);
} // namespace Morvane::Audio::Backend
