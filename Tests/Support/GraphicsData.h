#pragma once

#include "ConstantManager/ConstantManager.h"
#include "Parsing/FileParser/FileParser.h"
#include "Resources/ResourceSystem.h"
#include "System/PathWrapper/PathWrapper.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <string>

namespace Morvane::Testing
{
// The game's data folder as the test programs see it (they live in build/Tests).
inline std::string DataFolder()
{
    // Kept from the first call: tests may point "$(LocalFolder)" elsewhere.
    static const std::string folder = PathWrapper::GetInstance().Expand("$(LocalFolder)../");
    return folder;
}

// Reads the "OpenGL" constants that graphics descriptions name ("GL_TRIANGLES", "GL_RGBA8", ...).
inline void LoadOpenGLConstants()
{
    FileParser parser;
    IParserData* root = parser.Parse(DataFolder() + "Configuration/Constants/OpenGL.xml");
    ASSERT_NE(root, nullptr);
    ASSERT_TRUE(ConstantManager::GetInstance().Parse(root));
}
// Reads the committed resource packs `packs` ("Meshes.xml", "Shaders.xml", ...) into the resource system.
inline void LoadResourcePacks(std::initializer_list<const char*> packs)
{
    for (const char* pack : packs)
    {
        FileParser parser;
        ASSERT_TRUE(Resources::System::GetInstance().Parse(parser.Parse(DataFolder() + "Resources/" + pack)))
            << pack;
    }
}

// While it lives, "$(LocalFolder)" is the game's data folder, as the committed definitions expect.
class GameFolderAsLocalFolder
{
public:
    GameFolderAsLocalFolder() : m_testFolder(PathWrapper::GetInstance().Expand("$(LocalFolder)"))
    {
        PathWrapper::GetInstance().AddPath("LocalFolder", DataFolder());
    }
    ~GameFolderAsLocalFolder() { PathWrapper::GetInstance().AddPath("LocalFolder", m_testFolder); }
    GameFolderAsLocalFolder(const GameFolderAsLocalFolder&) = delete;
    GameFolderAsLocalFolder& operator=(const GameFolderAsLocalFolder&) = delete;

private:
    std::string m_testFolder;
};
} // namespace Morvane::Testing
