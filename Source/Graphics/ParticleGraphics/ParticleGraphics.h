#pragma once

#include "Graphics/GraphicsComponent.h"

#include <glm/gtc/quaternion.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
class Mesh;
class Texture;
} // namespace Morvane::Graphics

// Many particles of one mesh in one instanced draw. The renderable must describe a fourth buffer of
// per-instance world matrices (four vec4 attributes, 64 bytes apart, divisor 1) and a fifth of
// per-instance colours; the component draws with a copy of it, "<owner>_particleMesh", whose instance
// buffers it sizes to the particle count and fills from the four particle arrays every draw. It starts
// with 100 placeholder particles, which the particle behaviors replace through SetParticleCount and the
// arrays.
class ParticleGraphics : public Morvane::Graphics::Component
{
public:
    static constexpr int kPlaceholderCount = 100;

    explicit ParticleGraphics(Morvane::Game::Object* owner);

    bool Parse(const Morvane::IParserData* data) override;
    // Copies the mesh when it is loaded already (a "multiThreaded" one is copied by the first draw
    // after it has loaded); false (logged) for a mesh without the two instance buffers.
    bool Initialize() override;
    bool Save(Morvane::IParserData* data) override;
    void Clone(Morvane::Game::Component* destination) override;
    void Draw(Morvane::Graphics::Shader* shader, Morvane::Graphics::Camera* camera) override;
    void SetCustomUniform(Morvane::Graphics::Camera* camera,
                          const Morvane::Graphics::UniformDefinition& uniform) override;
    void Release() override;

    // Resizes the four arrays to `count` (new particles at the origin, unit size, white) and the particle
    // mesh's instance buffers with them.
    void SetParticleCount(int count);
    int GetParticleCount() const { return static_cast<int>(m_positions.size()); }
    void SetParticlesScale(float scale) { m_particlesScale = scale; }

    // Written by the particle behaviors every update; read as they stand by the next draw.
    std::vector<glm::vec3>& Positions() { return m_positions; }
    std::vector<glm::vec3>& Scales() { return m_scales; }
    std::vector<glm::quat>& Rotations() { return m_rotations; }
    std::vector<glm::vec4>& Colours() { return m_colours; }
    const std::vector<glm::vec3>& Positions() const { return m_positions; }
    const std::vector<glm::vec3>& Scales() const { return m_scales; }
    const std::vector<glm::vec4>& Colours() const { return m_colours; }
    float GetParticlesScale() const { return m_particlesScale; }

    // Null until the first draw has made it.
    Morvane::Graphics::Mesh* GetParticleMesh() const { return m_particleMesh; }

private:
    static constexpr std::size_t kMatrixBuffer = 3;
    static constexpr std::size_t kColourBuffer = 4;

    std::string Channel() const;
    void PlacePlaceholders();
    bool MakeParticleMesh();
    void ResizeInstanceBuffers();

    Morvane::Graphics::Texture* m_depthTexture = nullptr;
    Morvane::Graphics::Mesh* m_particleMesh = nullptr;
    std::string m_particleMeshName;
    bool m_meshFailed = false;
    float m_particlesScale = 1.0f;
    std::vector<glm::vec3> m_positions;
    std::vector<glm::vec3> m_scales;
    std::vector<glm::quat> m_rotations;
    std::vector<glm::vec4> m_colours;
    std::vector<float> m_matrixData;
    std::vector<float> m_colourData;
};
