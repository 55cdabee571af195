#pragma once

#include <cstdlib>

// The draws of level objects: whole numbers from 0 to 32767 and fractions of that range, from the C
// library's generator, which a capture seeds so that every replay draws the same numbers. The run's
// seed also seeds every behavior's own stream (RandomStream).
class GameRandom
{
public:
    static constexpr int kMaximum = 32767;

    static int Draw() { return std::rand() % (kMaximum + 1); }
    // From 0 to 1, both included.
    static float Unit() { return static_cast<float>(Draw()) / static_cast<float>(kMaximum); }

    static void SetSeed(unsigned seed)
    {
        RunSeed() = seed;
        std::srand(seed);
    }
    static unsigned GetSeed() { return RunSeed(); }

private:
    // The C library starts as if seeded with 1.
    static unsigned& RunSeed()
    {
        static unsigned seed = 1;
        return seed;
    }
};
