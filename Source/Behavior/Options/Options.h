#pragma once

// The player's settings that the options menu changes and the game reads every frame.
class Options
{
public:
    static constexpr int kMinimumSensitivity = 1;
    static constexpr int kMaximumSensitivity = 10;
    static constexpr int kDefaultSensitivity = 5;

    static Options& GetInstance();

    int GetMouseSensitivity() const { return m_mouseSensitivity; }
    // Kept within 1 to 10.
    void SetMouseSensitivity(int sensitivity);
    bool GetInvertY() const { return m_invertY; }
    void SetInvertY(bool invert) { m_invertY = invert; }

private:
    Options() = default;

    int m_mouseSensitivity = kDefaultSensitivity;
    bool m_invertY = false;
};
