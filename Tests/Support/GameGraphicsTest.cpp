#include "GameGraphicsTest.h"

#include "Component/GameSystem.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "Resources/ResourceSystem.h"

namespace Morvane::Testing
{
void GameGraphicsTest::SetUpGame(std::initializer_list<const char*> packs)
{
    Graphics::System& graphics = Graphics::System::GetInstance();
    // Before any shader is read: shaders name the game's purposes.
    graphics.m_customUniformIdentifier = &IdentifyCustomPurpose;
    graphics.m_customComponentFactory = &CreateCustomGraphicsComponent;
    GlTest::SetUp();
    LoadOpenGLConstants();
    LoadResourcePacks(packs);
}

void GameGraphicsTest::TearDown()
{
    Game::System::GetInstance().Release();
    Graphics::System::GetInstance().m_customComponentFactory = nullptr;
    GlTest::TearDown();
    Graphics::System::GetInstance().m_customUniformIdentifier = nullptr;
}
} // namespace Morvane::Testing
