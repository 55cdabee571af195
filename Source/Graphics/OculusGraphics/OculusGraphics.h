#pragma once

#include "Graphics/GraphicsComponent.h"
#include "Hmd/HmdDevice.h"

// One eye of the head-mounted display's lens distortion: a component whose shader warps the rendered
// picture, fed that eye's parameters ("Oculus_LensCenter", "Oculus_Scale", ... "Oculus_TextureMatrix")
// from the display support. "eye" is "right" for the right eye, anything else for the left.
class OculusGraphics : public Morvane::Graphics::Component
{
public:
    explicit OculusGraphics(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    void SetCustomUniform(Morvane::Graphics::Camera* camera,
                          const Morvane::Graphics::UniformDefinition& uniform) override;

    Morvane::Hmd::Eye GetEye() const { return m_eye; }

private:
    Morvane::Hmd::Eye m_eye = Morvane::Hmd::Eye::Left;
};
