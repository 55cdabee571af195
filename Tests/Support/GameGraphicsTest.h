#pragma once

#include "Support/GlTest.h"
#include "Support/GraphicsData.h"

#include <initializer_list>

namespace Morvane::Testing
{
// A real-GL test of the game's own graphics kinds: the game's component factory and uniform purposes
// installed, its data folder as "$(LocalFolder)", the "OpenGL" constants and the committed resource
// packs named by SetUpGame read and initialised. TearDown releases the game's objects first.
class GameGraphicsTest : public GlTest
{
protected:
    // Call from SetUp in place of GlTest::SetUp; packs are "Meshes.xml", "Shaders.xml", ...
    void SetUpGame(std::initializer_list<const char*> packs);
    void TearDown() override;

private:
    const GameFolderAsLocalFolder m_localFolder;
};
} // namespace Morvane::Testing
