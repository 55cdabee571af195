#pragma once

#include <array>

// The player's settings as plain values, each one the game offers: the volume is kept in tenths and
// the render quality as a step of kQualitySteps, so no value ever falls between two steps.
struct OptionValues
{
    // One render quality the menu offers: the render targets' scale, the menu's caption and the text
    // the options file writes.
    struct QualityStep
    {
        float factor;
        const char* name;
        const char* text;
    };

    static constexpr int kMinimumSensitivity = 1;
    static constexpr int kMaximumSensitivity = 10;
    static constexpr int kDefaultSensitivity = 5;
    static constexpr int kVolumeTenths = 10;
    // Lowest first; the menu steps through them in this order.
    static constexpr std::array<QualityStep, 4> kQualitySteps{
        {{0.25f, "Low", "0.25"}, {0.5f, "Med", "0.5"}, {1.0f, "High", "1"}, {1.5f, "Ultra", "1.5"}}};
    static constexpr int kDefaultQuality = 2;

    // The step `factor` lies within `tolerance` of; -1 when none does.
    static int FindQuality(double factor, double tolerance);
    // The step nearest to a finite `factor`.
    static int NearestQuality(double factor);

    float GetVolume() const { return static_cast<float>(volumeTenths) / kVolumeTenths; }
    float GetQuality() const { return kQualitySteps[qualityIndex].factor; }

    bool operator==(const OptionValues&) const = default;

    bool fullScreen = false;
    // 0 to 10.
    int volumeTenths = kVolumeTenths;
    // An index into kQualitySteps.
    int qualityIndex = kDefaultQuality;
    bool fxaa = true;
    bool verticalSync = true;
    bool invertY = false;
    // kMinimumSensitivity to kMaximumSensitivity.
    int mouseSensitivity = kDefaultSensitivity;
};
