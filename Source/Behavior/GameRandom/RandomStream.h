#pragma once

#include "Behavior/GameRandom/GameRandom.h"

#include <cstdint>
#include <string_view>

// One behavior's own sequence of draws in 0 to 32767, seeded from the run's seed and the behavior's
// object name: one creature drawing more never shifts another's numbers, and a replay draws the same.
// The steps are the classic linear congruential generator whose draws keep 15 bits.
class RandomStream
{
public:
    RandomStream() : RandomStream("") {}
    explicit RandomStream(std::string_view name) { Reseed(name); }

    void Reseed(std::string_view name)
    {
        // FNV-1a over the name, then the run's seed mixed in.
        std::uint32_t hash = 2166136261u;
        for (const char c : name)
        {
            hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        }
        m_state = hash ^ (GameRandom::GetSeed() * 2654435761u);
    }

    int Draw()
    {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & static_cast<std::uint32_t>(GameRandom::kMaximum));
    }
    // From 0 to 1, both included.
    float Unit() { return static_cast<float>(Draw()) / static_cast<float>(GameRandom::kMaximum); }
    // From -1 to 1, both included.
    float Signed() { return Unit() * 2.0f - 1.0f; }

private:
    std::uint32_t m_state = 0;
};
