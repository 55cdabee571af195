#pragma once

#include "Support/GlTest.h"
#include "Support/GraphicsData.h"

#include <initializer_list>
#include <string>

namespace Morvane::Graphics
{
class Component;
}

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

    // Makes the object of `xml` (an "Object" element), loads what its graphics wait for and lets the
    // game initialise it. Its graphics component, or null when the object or its graphics could not be
    // made or did not start (a failed initialisation takes the component away: it is looked up again).
    static Graphics::Component* AddObject(const std::string& xml);

private:
    const GameFolderAsLocalFolder m_localFolder;
};
} // namespace Morvane::Testing
