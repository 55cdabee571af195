#pragma once

#include "Behavior/Options/OptionValues.h"
#include "Behavior/Options/OptionsFile.h"

#include <filesystem>
#include <optional>

// The player's settings: the one record the options menu changes, the game reads and the options file
// keeps. Each setter stores its value and applies it at once to what reads it (the audio master volume,
// the window's full screen, RenderSettings, the graphics system's vertical sync); a new value marks the
// record changed for the next SaveIfChanged. Main thread only.
class Options
{
public:
    static constexpr int kMinimumSensitivity = OptionValues::kMinimumSensitivity;
    static constexpr int kMaximumSensitivity = OptionValues::kMaximumSensitivity;
    static constexpr int kDefaultSensitivity = OptionValues::kDefaultSensitivity;
    // How near a render quality must be to a step for NextRenderQuality to know it.
    static constexpr float kQualityTolerance = 0.1f;

    static Options& GetInstance();

    // Reads the record from the file at `path` and saves it there from then on (an empty path:
    // `defaults`, never saved), then applies it. Called before the window shows.
    void Open(const std::filesystem::path& path, const OptionValues& defaults = {});
    // Saves the record when it changed since it was opened or last saved; a failed save is warned once and
    // tried again only after the next change. The menu calls it once a frame and when it goes.
    void SaveIfChanged();
    bool IsChanged() const { return m_changed; }
    // Applies every value again. Each configuration's systems start with vertical sync asked for, so this
    // runs after each has started; what the graphics system refuses then is no change of the player's.
    void Apply();

    const OptionValues& GetValues() const { return m_values; }

    bool GetFullScreen() const { return m_values.fullScreen; }
    void SetFullScreen(bool on);

    float GetVolume() const { return m_values.GetVolume(); }
    int GetVolumeTenths() const { return m_values.volumeTenths; }
    // Rounded to the nearest tenth, within 0 to 1; a volume that is not finite changes nothing.
    void SetVolume(float volume);

    float GetRenderQuality() const { return m_values.GetQuality(); }
    // 0 to 3, lowest first.
    int GetRenderQualityIndex() const { return m_values.qualityIndex; }
    // "Low", "Med", "High" or "Ultra".
    const char* GetRenderQualityName() const;
    // The nearest of 0.25, 0.5, 1.0 and 1.5; a quality that is not finite changes nothing.
    void SetRenderQuality(float quality);
    // The step after the one within kQualityTolerance of `quality` (1.5 is followed by 0.25); the default
    // (1.0) for a quality near none.
    static float NextRenderQuality(float quality);

    bool GetFxaa() const { return m_values.fxaa; }
    void SetFxaa(bool on);

    // What the graphics system accepted once it has a context; until then what was asked for.
    bool GetVerticalSync() const { return m_values.verticalSync; }
    void SetVerticalSync(bool on);

    bool GetInvertY() const { return m_values.invertY; }
    void SetInvertY(bool invert);

    int GetMouseSensitivity() const { return m_values.mouseSensitivity; }
    // Kept within 1 to 10.
    void SetMouseSensitivity(int sensitivity);

private:
    Options() = default;

    // Marks the record changed when `value` is new and stores it.
    template <class Value> void Store(Value& field, Value value);
    void ApplyFullScreen() const;
    void ApplyVolume() const;
    void ApplyRenderSettings() const;
    // Without `askAgain` the graphics system is only asked to switch synchronisation off: it asks for it
    // itself when it starts, and a refusal it has just given is not asked for (and warned) again.
    void ApplyVerticalSync(bool askAgain);

    OptionValues m_values;
    // What the player asked for: a driver that refuses vertical sync today need not refuse it tomorrow,
    // so the file keeps the request while the record shows what is in force.
    bool m_verticalSyncRequest = m_values.verticalSync;
    std::optional<OptionsFile> m_file;
    bool m_changed = false;
};
