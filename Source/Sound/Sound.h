#pragma once

#include "Parsing/IParseable.h"
#include "Resources/Resource.h"
#include "Sound/Backend/DecodedSound.h"
#include "Sound/Backend/Result.h"
#include "Sound/Backend/SoundBuffer.h"

#include <atomic>
#include <memory>
#include <string>

namespace Morvane::Audio
{
// The "Sound" resource: one audio file, played in 2D or, with "is3D", at a position. The file is
// decoded while the definition is parsed (on the load thread for "multiThreaded" sounds); Initialize
// hands the samples to the audio output on the main thread.
class Sound : public Resources::Resource, public IParseable
{
public:
    explicit Sound(const std::string& name) : Resource(name) {}

    bool Parse(const IParserData* definition) override;
    // Writes "path" and "is3D".
    bool Save(IParserData* data) override;
    bool Initialize() override;
    // Also stops every audio component playing this sound and makes it forget the sound.
    void Release() override;

    const std::string& GetPath() const { return m_path; }
    bool Is3D() const { return m_is3D; }
    // The output's sound; null until initialised.
    Backend::SoundBuffer* GetBackendSound() const { return m_sound.get(); }
    // Length in milliseconds; 0 until initialised.
    unsigned GetLength() const;
    // True once Parse or Initialize failed: the sound will never be ready to play.
    bool HasFailedToLoad() const { return m_failedToLoad; }

private:
    std::string Channel() const;
    // Logs the failure and marks the sound as never ready.
    void FailLoading(Backend::Result result);

    std::unique_ptr<Backend::SoundBuffer> m_sound;
    std::string m_path;
    // Written on the load thread, read on the main thread.
    std::atomic<bool> m_is3D = false;
    std::atomic<bool> m_failedToLoad = false;
    // Decoded by Parse, consumed by Initialize.
    std::string m_expandedPath;
    Backend::DecodedSound m_decoded;
    Backend::Result m_decodeResult = Backend::Result::ErrorNotInitialized;
};
} // namespace Morvane::Audio
