#pragma once

namespace Morvane::Audio::Backend
{
// OpenAL Soft and the ALSA library it opens write their own errors to standard error, nine lines on a
// machine without a sound card, before the audio system has said anything. Call before the first
// OpenAL call: both are kept quiet unless the user asked for OpenAL Soft's messages by setting
// ALSOFT_LOGLEVEL, in which case ALSA's go to the engine's log on the "Audio system" channel.
void RouteLibraryMessages();
} // namespace Morvane::Audio::Backend
