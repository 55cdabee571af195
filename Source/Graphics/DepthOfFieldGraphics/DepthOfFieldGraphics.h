#pragma once

#include "Graphics/GraphicsComponent.h"

#include <string>

// Depth of field over the picture: a disc of taps around each fragment whose radius grows with its
// depth's distance from "focus" (times "bias", at most "blurClamp" of the picture's width), read from
// "depthTexture"; "AspectRatio" keeps the disc round on a wide target.
class DepthOfFieldGraphics : public Morvane::Graphics::Component
{
public:
    explicit DepthOfFieldGraphics(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    void SetCustomUniform(Morvane::Graphics::Camera* camera,
                          const Morvane::Graphics::UniformDefinition& uniform) override;

    float GetFocus() const { return m_focus; }
    float GetBias() const { return m_bias; }
    float GetBlurClamp() const { return m_blurClamp; }

private:
    std::string Channel() const;

    Morvane::Graphics::Texture* m_depthTexture = nullptr;
    float m_blurClamp = 0.008f;
    float m_focus = 0.96f;
    float m_bias = 0.15f;
};
