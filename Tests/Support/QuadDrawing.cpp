#include "QuadDrawing.h"

#include "Support/GraphicsData.h"
#include "Support/ParseXml.h"

#include <vector>

namespace Morvane::Testing
{
std::unique_ptr<Graphics::Mesh> MakeScreenQuad()
{
    auto mesh = std::make_unique<Graphics::Mesh>("ScreenQuad");
    Graphics::MeshAttribute position;
    position.location = 0;
    position.normalise = false;
    Graphics::MeshAttribute coordinate;
    coordinate.location = 1;
    coordinate.elementSize = 2;
    coordinate.normalise = false;
    mesh->AddBuffer(Graphics::MeshBuffer({-1, -1, 0, 1, -1, 0, 1, 1, 0, -1, 1, 0}, {position}));
    mesh->AddBuffer(Graphics::MeshBuffer({0, 0, 1, 0, 1, 1, 0, 1}, {coordinate}));
    mesh->SetIndices({0, 1, 2, 0, 2, 3});
    return mesh;
}

std::unique_ptr<Graphics::Camera> MakeScreenCamera()
{
    auto camera = std::make_unique<Graphics::Camera>();
    camera->SetMode(Graphics::Camera::Mode::Orthogonal);
    camera->SetViewportSize(2.0f, 2.0f);
    camera->SetPlanes(-1.0f, 1.0f);
    camera->SetPosition({0.0f, 0.0f, 0.0f});
    camera->SetTarget({0.0f, 0.0f, -1.0f});
    camera->SetUp({0.0f, 1.0f, 0.0f});
    return camera;
}
std::unique_ptr<Graphics::Shader> LoadBasicShader(const std::string& name)
{
    auto shader = std::make_unique<Graphics::Shader>(name);
    const auto definition =
        ParseXml(R"(<Shader path=")" + DataFolder() + "Shaders/Basic/" + name + R"(.xml"/>)");
    EXPECT_TRUE(shader->Parse(definition.get()) && shader->Initialize()) << name;
    return shader;
}
} // namespace Morvane::Testing
