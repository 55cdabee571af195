#pragma once

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>
#include <string>

namespace Morvane::Game
{
class TransformComponent;
}

namespace Morvane::Graphics
{
class Texture;
struct UniformDefinition;
} // namespace Morvane::Graphics

// Uploads for the game's custom purposes, into the program in use (SetCustomUniform runs while the
// drawing shader is current): each asserts the uniform's GL type first, so a shader that declares a
// purpose with the wrong type is caught where it is drawn.
void UploadFloat(const Morvane::Graphics::UniformDefinition& uniform, float value);
void UploadVec2(const Morvane::Graphics::UniformDefinition& uniform, const glm::vec2& value);
void UploadVec3(const Morvane::Graphics::UniformDefinition& uniform, const glm::vec3& value);
void UploadVec4(const Morvane::Graphics::UniformDefinition& uniform, const glm::vec4& value);
void UploadMat4(const Morvane::Graphics::UniformDefinition& uniform, const glm::mat4& value);
// Binds `texture` to `unit` and points the sampler there; `textureName` is the assertion's text when
// the texture is missing.
// 1 / scale x and 1 / scale y of `transform` (a full-screen quad scaled to the target's pixels: its
// texel size). A zero scale uploads 0 and warns on `channel` once, through `warned`.
void UploadOneOverScale(const Morvane::Graphics::UniformDefinition& uniform,
                        const Morvane::Game::TransformComponent* transform, const std::string& channel,
                        bool& warned);
void UploadSampler(const Morvane::Graphics::UniformDefinition& uniform,
                   const Morvane::Graphics::Texture* texture, unsigned unit, const char* textureName);
