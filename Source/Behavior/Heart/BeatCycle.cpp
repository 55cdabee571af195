#include "Behavior/Heart/BeatCycle.h"

#include "System/Logging/Format.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

using namespace Morvane;

std::string BeatCycle::Check(const std::vector<float>& durations, const std::vector<glm::vec3>& states)
{
    if (durations.empty())
    {
        return "no durations";
    }
    if (states.size() != durations.size() + 1)
    {
        return Format("%zu durations need %zu states, not %zu", durations.size(), durations.size() + 1,
                      states.size());
    }
    for (const float duration : durations)
    {
        // A zero-long segment would divide by zero; a negative one would run the clock backwards.
        if (!std::isfinite(duration) || duration <= 0.0f)
        {
            return Format("duration %g is not a positive number", static_cast<double>(duration));
        }
    }
    for (const glm::vec3& state : states)
    {
        if (!std::isfinite(state.x) || !std::isfinite(state.y) || !std::isfinite(state.z))
        {
            return "a state is not finite";
        }
    }
    const float period = std::accumulate(durations.begin(), durations.end(), 0.0f);
    return std::isfinite(period) ? "" : "the cycle is endless";
}

BeatCycle BeatCycle::LubDub()
{
    return BeatCycle({0.1f, 0.1f, 0.1f, 0.25f, 0.45f}, {glm::vec3(0.6f), glm::vec3(0.75f), glm::vec3(0.63f),
                                                        glm::vec3(0.7f), glm::vec3(0.6f), glm::vec3(0.6f)});
}

BeatCycle::BeatCycle(std::vector<float> durations, std::vector<glm::vec3> states)
    : m_durations(std::move(durations)), m_states(std::move(states)),
      m_period(std::accumulate(m_durations.begin(), m_durations.end(), 0.0f))
{
}

bool BeatCycle::Advance(float dt)
{
    m_clock += dt;
    if (m_clock < m_period)
    {
        return false;
    }
    // The remainder, not one period less: a long stall must not leave the clock cycles behind.
    m_clock = std::fmod(m_clock, m_period);
    return true;
}

glm::vec3 BeatCycle::GetScale() const
{
    float start = 0.0f;
    for (std::size_t segment = 0; segment < m_durations.size(); ++segment)
    {
        const float duration = m_durations[segment];
        if (m_clock < start + duration || segment + 1 == m_durations.size())
        {
            const float f = std::clamp((m_clock - start) / duration, 0.0f, 1.0f);
            return m_states[segment] + (m_states[segment + 1] - m_states[segment]) * f;
        }
        start += duration;
    }
    return m_states.front();
}
