#pragma once

#include "Graphics/GraphicsComponent.h"

#include <string>

// A box blur of "blurSize" × "blurSize" texels (the tile of a repeating noise, say) on a full-screen
// quad scaled to its target's pixels.
class SimpleBlurGraphics : public Morvane::Graphics::Component
{
public:
    explicit SimpleBlurGraphics(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    void SetCustomUniform(Morvane::Graphics::Camera* camera,
                          const Morvane::Graphics::UniformDefinition& uniform) override;

    int GetBlurSize() const { return m_blurSize; }

private:
    std::string Channel() const;

    int m_blurSize = 0;
    bool m_zeroScaleWarned = false;
};
