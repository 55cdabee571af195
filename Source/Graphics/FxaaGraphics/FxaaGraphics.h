#pragma once

#include "Graphics/GraphicsComponent.h"

#include <string>

// The picture on the window with fast approximate anti-aliasing: feeds the FXAA shader the texel size
// ("OneOverSize") of the texture named "resolutionTexture", read at each draw so that a resized target
// is followed. With another shader it draws as a plain textured quad.
class FxaaGraphics : public Morvane::Graphics::Component
{
public:
    explicit FxaaGraphics(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    // True exactly when the resolution texture was found.
    bool Initialize() override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    void SetCustomUniform(Morvane::Graphics::Camera* camera,
                          const Morvane::Graphics::UniformDefinition& uniform) override;

private:
    std::string Channel() const;

    Morvane::Graphics::Texture* m_resolutionTexture = nullptr;
};
