#pragma once

#include "System/Pass/Command.h"

#include <glm/vec4.hpp>

namespace Morvane::Graphics::Commands
{
// "ClearColorBuffer": clears the bound frame buffer's colour to "color".
class ClearBufferColor : public Command
{
public:
    bool Parse(const IParserData* data) override;
    void Execute() override;

    const glm::vec4& GetColor() const { return m_color; }
    // The sky colour of a level reaches the light scattering's clear through here.
    void SetColor(const glm::vec4& color) { m_color = color; }

private:
    glm::vec4 m_color{0.0f, 0.0f, 0.0f, 1.0f};
};
} // namespace Morvane::Graphics::Commands
