#pragma once

#include "Graphics/GraphicsComponent.h"

#include <string>

// Edges of the world for outlines: feeds the edge shader its "detectionTexture" (the G-buffer's
// view-space normals, with the view depth in alpha) and the world camera's view matrix.
class EdgeDetectionGraphics : public Morvane::Graphics::Component
{
public:
    explicit EdgeDetectionGraphics(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    // True exactly when the detection texture was found.
    bool Initialize() override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    void SetCustomUniform(Morvane::Graphics::Camera* camera,
                          const Morvane::Graphics::UniformDefinition& uniform) override;

private:
    std::string Channel() const;

    Morvane::Graphics::Texture* m_detectionTexture = nullptr;
    // "Camera_World" when the configuration has one.
    Morvane::Graphics::Camera* m_worldCamera = nullptr;
};
