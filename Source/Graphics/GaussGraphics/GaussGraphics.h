#pragma once

#include "Graphics/GraphicsComponent.h"

#include <array>
#include <string>

// One direction of a separable Gaussian blur (the Render command's "fragmentSubroutine" picks
// horizontal or vertical) on a full-screen quad scaled to its target's pixels: eight weights for the
// centre and seven taps on each side, and their pixel offsets.
class GaussGraphics : public Morvane::Graphics::Component
{
public:
    static constexpr std::size_t kWeightCount = 8;
    static constexpr std::size_t kOffsetCount = 9;

    explicit GaussGraphics(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    // Computes the weights and offsets.
    bool Initialize() override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    void SetCustomUniform(Morvane::Graphics::Camera* camera,
                          const Morvane::Graphics::UniformDefinition& uniform) override;

    const std::array<float, kWeightCount>& GetWeights() const { return m_weights; }
    const std::array<float, kOffsetCount>& GetPixelOffsets() const { return m_pixelOffsets; }

private:
    std::string Channel() const;

    std::array<float, kWeightCount> m_weights{};
    std::array<float, kOffsetCount> m_pixelOffsets{};
    float m_sigma = 15.0f;
    bool m_zeroScaleWarned = false;
};
