#pragma once

#include "Capture/LogWatch.h"
#include "Capture/StepRunner.h"

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <optional>
#include <string>
#include <vector>

namespace Morvane::Capture
{
// The player: the first object, in creation order, with a character body and a transform.
std::optional<glm::vec3> FindPlayerPosition();
std::vector<glm::vec3> FindObjectPositions(const std::string& name);
// The client pixel at the middle of the object called `name` (exactly) as "Camera_GUI" shows it.
std::optional<glm::ivec2> FindGuiPoint(const std::string& name);
// Where the graphics system's camera called `camera` looks (target - position).
std::optional<glm::vec3> FindViewDirection(const std::string& camera);

// The running game as the steps read it.
class GameWorld final : public StepWorld
{
public:
    explicit GameWorld(const LogWatch& log) : m_log(log) {}

    std::optional<glm::vec3> PlayerPosition() const override { return FindPlayerPosition(); }
    std::optional<glm::vec3> ViewDirection(const std::string& camera) const override
    {
        return FindViewDirection(camera);
    }
    std::vector<glm::vec3> ObjectPositions(const std::string& name) const override
    {
        return FindObjectPositions(name);
    }
    std::size_t LogCount(const std::string& text) const override { return m_log.Count(text); }

private:
    const LogWatch& m_log;
};
} // namespace Morvane::Capture
