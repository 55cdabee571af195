#include "Sound/Backend/Result.h"

namespace Morvane::Audio::Backend
{
const char* ErrorString(Result result)
{
    switch (result)
    {
    case Result::Ok:
        return "No errors.";
    case Result::ErrorInvalidParameter:
        return "An invalid parameter was passed to this function.";
    case Result::ErrorInvalidHandle:
        return "An invalid object handle was used (the channel has finished or was reused).";
    case Result::ErrorNotInitialized:
        return "The audio system has not been initialized.";
    case Result::ErrorAlreadyInitialized:
        return "The audio system is already initialized; release it first.";
    case Result::ErrorNoDriver:
        return "No audio output driver with that index exists.";
    case Result::ErrorOutputInit:
        return "The audio output could not be opened.";
    case Result::ErrorUnsupported:
        return "This operation is not supported by the current output.";
    case Result::ErrorNeeds3D:
        return "Tried to set a 3D property on a channel that is not 3D.";
    case Result::ErrorFileNotFound:
        return "File not found.";
    case Result::ErrorFormat:
        return "Unsupported or damaged audio file.";
    case Result::ErrorFileTooLarge:
        return "The audio file is too large to be loaded at once.";
    case Result::ErrorOpenAL:
        return "The OpenAL library reported an error.";
    }
    return "Unknown error.";
}
} // namespace Morvane::Audio::Backend
