#pragma once

#include "SystemManager/ISystem.h"

namespace MorvanePhysics
{
// Stands in for a system a headless run cannot start (a window, a renderer, a sound device): it accepts
// its configuration element and does nothing, so a configuration written for the game runs unchanged.
class SkippedSystem : public Morvane::ISystem
{
public:
    static SkippedSystem& GetInstance();

    bool Initialize() override { return true; }
    void Update(const float&) override {}
    void Release() override {}
    bool Parse(Morvane::IParserData*) override { return true; }
};
} // namespace MorvanePhysics
