#include "Physics/PhysicsFactory/PhysicsFactory.h"
#include "Physics/PhysicsSystem.h"
#include "SceneRunner.h"
#include "StandardOutputGuard.h"
#include "SystemManager/SystemManager.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
constexpr long kMaxFrames = 10000000;

int Usage()
{
    std::fputs(
        "usage: morvane-physics CONFIG FRAMES [--no-grid]\n"
        "  Steps the project configuration CONFIG headless for FRAMES frames of 16 ms and prints every\n"
        "  body and contact, then the hash of those lines. CONFIG's data paths start at $(LocalFolder), the\n"
        "  folder above CONFIG's own; the window, input, graphics and audio systems are skipped.\n",
        stderr);
    return 2;
}

bool ReadFrames(const char* text, long& frames)
{
    errno = 0;
    char* end = nullptr;
    frames = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && errno == 0 && frames >= 0 && frames <= kMaxFrames;
}
} // namespace

int main(int argc, char** argv)
{
    // A command-line tool reports on its output; an assertion must never wait on a box.
    setenv("MORVANE_NO_MESSAGE_BOX", "1", 1);
    long frames = 0;
    if (argc < 3 || argc > 4 || !ReadFrames(argv[2], frames) ||
        (argc == 4 && std::strcmp(argv[3], "--no-grid") != 0))
    {
        return Usage();
    }
    const MorvaneTools::StandardOutputGuard output;
    MorvanePhysics::RegisterHeadlessSystems(Morvane::SystemManager::GetInstance());
    // Scenes may hold the game's own kinds (characters, springs, rigid bodies), as the game does.
    Morvane::Physics::System::GetInstance().m_customComponentFactory = &CreateCustomPhysicsComponent;
    const std::optional<std::string> report = MorvanePhysics::RunScene(argv[1], frames, argc != 4);
    if (!report)
    {
        std::fprintf(stderr, "morvane-physics: the configuration '%s' failed\n", argv[1]);
        return 1;
    }
    return output.Write(*report) ? 0 : 1;
}
