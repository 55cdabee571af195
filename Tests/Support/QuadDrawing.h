#pragma once

#include "Graphics/Camera.h"
#include "Renderable/Mesh.h"
#include "Shader/Shader.h"

#include <memory>
#include <string>

namespace Morvane::Testing
{
// A square from (-1, -1) to (1, 1) in the z = 0 plane, positions at location 0 and texture coordinates
// (0, 0) to (1, 1) at location 1, and a camera through which it fills the viewport exactly.
std::unique_ptr<Graphics::Mesh> MakeScreenQuad();
std::unique_ptr<Graphics::Camera> MakeScreenCamera();
// One of the committed shaders of Data/Shaders/Basic ("Debug", "Color", "Textured"), initialised.
std::unique_ptr<Graphics::Shader> LoadBasicShader(const std::string& name);
} // namespace Morvane::Testing
