#include "Input/KeyStates.h"

#include <gtest/gtest.h>
#include <vector>

namespace Morvane::Input
{
namespace
{
using enum KeyState;

TEST(KeyStates, ScriptedFramesReadTheFourStates)
{
    constexpr unsigned kKey = 0x41;
    const struct
    {
        std::vector<bool> down;
        std::vector<KeyState> read;
    } scripts[] = {
        {{true, true, true, false, false}, {Triggered, Held, Held, Released, Idle}},
        {{true, false, true, true}, {Triggered, Released, Triggered, Held}},
        {{false, true, false, false}, {Idle, Triggered, Released, Idle}},
    };
    for (const auto& script : scripts)
    {
        KeyStates states;
        std::vector<KeyState> read;
        for (const bool isDown : script.down)
        {
            states.Sample([&](unsigned code) { return code == kKey && isDown; });
            read.push_back(states.Get(kKey));
            EXPECT_EQ(states.Get(kKey + 1), Idle) << "only the sampled key changes";
        }
        EXPECT_EQ(read, script.read);
    }
}
} // namespace
} // namespace Morvane::Input
