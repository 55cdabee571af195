#pragma once

#include <glm/vec3.hpp>
#include <string>
#include <vector>

// One chamber's beat: a cycle of timed segments, each easing the chamber's scale from one state to the
// next, so a table with n durations has n + 1 states.
class BeatCycle
{
public:
    // What is wrong with the table, or empty when it can beat: each duration finite and positive,
    // exactly one state more than durations, every state finite.
    static std::string Check(const std::vector<float>& durations, const std::vector<glm::vec3>& states);
    // A short strong contraction, a softer second one, then rest: one second, the chamber
    // between 0.6 and 0.75 of the heart's size.
    static BeatCycle LubDub();

    // The table must pass Check.
    BeatCycle(std::vector<float> durations, std::vector<glm::vec3> states);

    // Moves the clock on by `dt`; true when this step started a new cycle.
    bool Advance(float dt);
    // The scale at the clock: the segment's states mixed by the share of it that has elapsed.
    glm::vec3 GetScale() const;
    float GetPeriod() const { return m_period; }

private:
    std::vector<float> m_durations;
    std::vector<glm::vec3> m_states;
    float m_period = 0.0f;
    float m_clock = 0.0f;
};
