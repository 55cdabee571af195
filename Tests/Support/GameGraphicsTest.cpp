#include "GameGraphicsTest.h"

#include "Component/GameSystem.h"
#include "Component/Object.h"
#include "Graphics/CustomPurposes/CustomPurposes.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsFactory/GraphicsFactory.h"
#include "Graphics/GraphicsSystem.h"
#include "ParseXml.h"
#include "Resources/ResourceSystem.h"

#include <SDL.h>

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

Graphics::Component* GameGraphicsTest::AddObject(const std::string& xml)
{
    Game::System& game = Game::System::GetInstance();
    const Game::Object* object = game.CreateObject(ParseXml(xml).get());
    const Graphics::Component* graphics =
        object != nullptr ? object->GetComponent<Graphics::Component>() : nullptr;
    if (graphics == nullptr)
    {
        return nullptr;
    }
    const std::string name = object->GetName();
    for (int frame = 0; frame < 400 && !graphics->IsReady(); ++frame)
    {
        Resources::System::GetInstance().Update(0.016f);
        SDL_Delay(5);
    }
    game.Update(0.016f);
    const Game::Object* started = game.GetObject(name);
    return started != nullptr ? started->GetComponent<Graphics::Component>() : nullptr;
}
} // namespace Morvane::Testing
