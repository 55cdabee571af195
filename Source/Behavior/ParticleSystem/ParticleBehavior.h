#pragma once

#include "Behavior/BehaviorComponent.h"
#include "Behavior/GameRandom/RandomStream.h"

#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <string>
#include <vector>

class ParticleGraphics;

// What the particle behaviors share: their object's particle graphics, sized at Initialize; a life
// and a full life per particle; the common fade; and a stream of draws of their own, so that one
// effect drawing more never shifts another. An object without particle graphics is an error and the
// behavior idles: it never writes into arrays that are not there. Before Initialize there are no
// particles, and stepping them does nothing.
class ParticleBehavior : public Morvane::Behavior::Component
{
public:
    ParticleBehavior(Morvane::Game::Object* owner, const char* type, float fadeTime);

    // A "Behavior" with "type" and the class's settings.
    bool Save(Morvane::IParserData* data) final;
    // Idle behaviors do nothing; the others step their particles.
    void Update(const float& dt) final;

    // A particle's alpha from its remaining and full life: it fades in over the first `fadeTime`
    // seconds of its life and out over the last ones, and is 1 in between.
    static float Fade(float life, float fullLife, float fadeTime);

    bool IsIdle() const { return m_idle; }
    ParticleGraphics* GetParticles() const { return m_particles; }
    const std::vector<float>& GetLives() const { return m_lives; }
    const std::vector<float>& GetFullLives() const { return m_fullLives; }

protected:
    // Finds the particle graphics and gives them `count` particles of `size`; false (logged) when the
    // object has none, and the behavior stays idle.
    bool SetUpParticles(int count, float size);
    // What a class writes on its saved "Behavior" beyond its type.
    virtual void SaveSettings(Morvane::IParserData&) const {}
    // Leaves everything as it is from now on.
    void Idle() { m_idle = true; }
    virtual void Step(float dt) = 0;

    std::string Channel() const;
    RandomStream& Random() { return m_random; }
    // Uniform in [low, high] from the behavior's stream.
    float Uniform(float low, float high) { return low + (high - low) * m_random.Unit(); }
    int Count() const { return static_cast<int>(m_lives.size()); }
    float& Life(int particle) { return m_lives[static_cast<std::size_t>(particle)]; }
    // Starts a particle's life over at `life` seconds, of a full life of `fullLife`.
    void Revive(int particle, float life, float fullLife);
    void Revive(int particle, float life) { Revive(particle, life, life); }
    // The common fade of a particle times `alpha`.
    float FadedAlpha(int particle, float alpha) const;
    glm::vec3& Position(int particle);
    glm::vec4& Colour(int particle);
    void SetScale(int particle, float scale);

private:
    const char* m_type;
    float m_fadeTime;
    RandomStream m_random;
    ParticleGraphics* m_particles = nullptr;
    bool m_idle = false;
    std::vector<float> m_lives;
    std::vector<float> m_fullLives;
};
