#include "Main/EngineSystems.h"
#include "SystemManager/SystemManager.h"

#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // A real message box blocks until someone presses it (under Xvfb too): every test program sends
    // boxes to standard error, whether CTest runs it or a developer does.
    setenv("MORVANE_NO_MESSAGE_BOX", "1", 1);
    // As the game does at start-up: tests reach the systems by their configuration names.
    Morvane::RegisterEngineSystems(Morvane::SystemManager::GetInstance());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
