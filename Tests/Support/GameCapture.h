#pragma once

#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <map>
#include <string>
#include <vector>

// Pieces of capture scripts and their object dumps, for tests that play the real game.
namespace Morvane::Testing
{
struct DumpedObject
{
    glm::vec3 position{0.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 scale{1.0f};
};

struct DumpedCamera
{
    glm::vec3 position{0.0f};
    glm::vec3 target{0.0f};
};

// The dump's "Settings" line: what the options reached in the systems that read them.
struct DumpedSettings
{
    float volume = -1.0f;
    bool fullScreen = false;
    int width = 0;
    int height = 0;
    bool verticalSync = false;
    bool fxaa = false;
    float quality = 0.0f;
};

// One `<Dump>` file: the objects with a transform and the cameras, by name.
struct WorldDump
{
    std::map<std::string, DumpedObject> objects;
    std::map<std::string, DumpedCamera> cameras;
    // Every object line, with or without a transform.
    std::map<std::string, int> names;
    // Objects with graphics: shown or hidden; and the captions of text graphics.
    std::map<std::string, bool> shown;
    std::map<std::string, std::string> captions;
    // Graphics colours, and the attenuation of point lights.
    std::map<std::string, glm::vec4> colours;
    std::map<std::string, glm::vec3> attenuations;
    // Objects whose physics shape is a box: its half-extents.
    std::map<std::string, glm::vec3> halfExtents;
    // Particle graphics: their count and what the particle behaviors wrote into them.
    std::map<std::string, int> particleCounts;
    std::map<std::string, std::vector<glm::vec3>> particlePositions;
    std::map<std::string, std::vector<glm::vec3>> particleScales;
    std::map<std::string, std::vector<glm::vec4>> particleColours;
    DumpedSettings settings;

    // How many objects are named `base` or `base_NNN` (the game system's unique names).
    int CountNamed(const std::string& base) const;
    // The first object with a transform named so; null when there is none.
    const DumpedObject* FindNamed(const std::string& base) const;
};

// Reads the dump at `path`; an unreadable file gives an empty dump.
WorldDump ReadWorldDump(const std::string& path);

// `<Frame number="frame">children</Frame>` and `<Frame time="seconds">children</Frame>`.
std::string At(int frame, const std::string& children);
std::string AtTime(double seconds, const std::string& children);
// A key event by SDL scancode name ("W", "Space", "Escape").
std::string Key(const std::string& key, bool down = true);
// A press on one frame and the release on the next.
std::string Press(int frame, const std::string& key);
// The `analytics` attribute of a capture whose events go to a collector on 127.0.0.1:`port`, its file
// written in `folder`.
std::string AnalyticsTo(int port, const std::string& folder);
} // namespace Morvane::Testing
