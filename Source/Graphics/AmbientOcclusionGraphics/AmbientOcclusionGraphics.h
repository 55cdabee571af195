#pragma once

#include "Graphics/GraphicsComponent.h"

#include <glm/vec3.hpp>
#include <random>
#include <string>
#include <vector>

// Screen-space ambient occlusion from the G-buffer's view-space normals and positions: a hemisphere
// kernel of 16 samples, denser near the fragment, turned around each normal by an 8 x 8 tile of noise
// vectors and projected through "sourceCamera". The noise is the texture resource
// "<owner>_SSAO_NoiseTexture", made at each parse and removed on release. Kernel and noise come from the
// component's own generator with a fixed seed, so the picture never depends on earlier random draws.
class AmbientOcclusionGraphics : public Morvane::Graphics::Component
{
public:
    static constexpr std::size_t kKernelSize = 16;
    static constexpr std::size_t kNoiseSize = 64;

    explicit AmbientOcclusionGraphics(Morvane::Game::Object* owner) : Component(owner) {}

    bool Parse(const Morvane::IParserData* data) override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    void Release() override;
    void SetCustomUniform(Morvane::Graphics::Camera* camera,
                          const Morvane::Graphics::UniformDefinition& uniform) override;

    const std::vector<glm::vec3>& GetKernel() const { return m_kernel; }
    Morvane::Graphics::Texture* GetNoiseTexture() const { return m_noiseTexture; }
    float GetScaleFactor() const { return m_scaleFactor; }

private:
    std::string Channel() const;
    std::string NoiseName() const;
    // A value from 0 to 1 inclusive.
    float NextRandom();
    bool BuildKernel(std::size_t size);
    bool BuildNoise(std::size_t size);
    void RemoveNoise();

    Morvane::Graphics::Texture* m_deferredNormals = nullptr;
    Morvane::Graphics::Texture* m_deferredPositions = nullptr;
    std::vector<glm::vec3> m_kernel;
    Morvane::Graphics::Texture* m_noiseTexture = nullptr;
    Morvane::Graphics::Camera* m_sourceCamera = nullptr;
    std::string m_sourceCameraName;
    float m_scaleFactor = 2.0f;
    std::minstd_rand m_random;
};
