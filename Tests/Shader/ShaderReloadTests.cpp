// The designer's reload (F9) of shader files, drawn through the real resource, graphics and input systems.
#include "Component/Object.h"
#include "Files/FilesSystem.h"
#include "Graphics/GraphicsComponent.h"
#include "Graphics/GraphicsSystem.h"
#include "Input/InputSystem.h"
#include "Resources/ResourceSystem.h"
#include "Shader/Shader.h"
#include "Support/GlTest.h"
#include "Support/LogCapture.h"
#include "Support/ParseXml.h"
#include "Support/SdlEvents.h"
#include "Support/TempDirectory.h"
#include "Window/WindowSystem.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Morvane::Graphics
{
namespace
{
using Testing::LogCapture;
using Testing::NearColour;
using Testing::ParseXml;

const char* const kVertex = "#version 450 core\nlayout(location = 0) in vec3 position;\nuniform mat4 mvp;\n"
                            "void main() { gl_Position = mvp * vec4(position, 1.0); }\n";
// The colour comes from the square's diffuse colour (blue).
const char* const kFromUniform = "#version 450 core\nlayout(location = 0) uniform vec4 colour;\n"
                                 "out vec4 result;\nvoid main() { result = colour; }\n";
// The same uniform somewhere else, its blue drawn as red: a stale location would miss it.
const char* const kRedFromUniform = "#version 450 core\nlayout(location = 7) uniform vec4 colour;\n"
                                    "out vec4 result;\nvoid main() { result = vec4(colour.b, 0, 0, 1); }\n";

const glm::u8vec4 kBlue{0, 0, 255, 255};
const glm::u8vec4 kRed{255, 0, 0, 255};
const glm::u8vec4 kBlack{0, 0, 0, 255};

// A square filling the middle of a 64 x 64 view, drawn by one Render command with the shader "Solid"
// (stage files solid.vert and solid.frag in a temporary folder).
class ShaderReloadTest : public Testing::GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        Write("solid.vert", kVertex);
        Write("solid.frag", kFromUniform);
        Write("solid.xml", R"(<Shader><VertexShader path="solid.vert"/><FragmentShader path="solid.frag"/>
            <Uniform name="mvp" purpose="ModelViewProjectionMatrix"/><Uniform name="colour" purpose="DiffuseColor"/></Shader>)");
        ASSERT_TRUE(Resources::System::GetInstance().Parse(ParseXml(R"(<ResourceSystem>
            <Shader name="Solid" path=")" + m_folder.Path() + R"(solid.xml"/>
            <Mesh name="Square"><Buffer><Data>-0.5 -0.5 0 0.5 -0.5 0 0.5 0.5 0 -0.5 -0.5 0 0.5 0.5 0 -0.5 0.5 0</Data>
                <AttributeDescription location="0" normalise="false"/></Buffer></Mesh>
            </ResourceSystem>)")
                                                               .get()));
    }

    void TearDown() override
    {
        m_objects.clear();
        Input::System::GetInstance().Release();
        GlTest::TearDown();
        Files::System::GetInstance().Release();
    }

    // Writes a stage file and moves its write time on by `step` seconds, so that the coarse clock of
    // the file system cannot hide the change.
    void Write(const std::string& name, const std::string& text, int step = 0) const
    {
        const std::string path = m_folder.Path() + name;
        std::ofstream(path) << text;
        MoveOn(path, step);
    }

    static void MoveOn(const std::string& path, int step)
    {
        std::filesystem::last_write_time(path,
                                         std::filesystem::last_write_time(path) + std::chrono::seconds(step));
    }

    bool Configure(const std::string& render)
    {
        return m_system.Parse(ParseXml(R"(<GraphicsSystem>
            <Camera name="Eye" mode="Orthogonal" position="0;0;10" target="0;0;0" width="64" height="64"
                    nearPlane="0.1" farPlane="100"/>
            <Set name="World"/>
            <PassConfiguration><Pass name="Main"><Command type="Viewport" width="64" height="64"/>
                <Command type="ClearColorBuffer" color="0;0;0;1"/>)" +
                                       render + R"(</Pass></PassConfiguration></GraphicsSystem>)")
                                  .get());
    }

    void AddSquare()
    {
        auto object = std::make_unique<Game::Object>("Square");
        object->Parse(ParseXml(R"(<Object><Transform position="0;0;0" scale="32;32;1"/>
            <Graphics renderable="Square" diffuseColor="0;0;1;1" renderSets="World"/></Object>)")
                          .get());
        ASSERT_NE(object->GetComponent<Component>(), nullptr);
        m_objects.push_back(std::move(object));
    }

    // One frame of the graphics system; the middle pixel as it left it.
    glm::u8vec4 Draw()
    {
        glm::u8vec4 pixel{};
        m_system.SetFrameHook([&pixel] { pixel = ReadPixel(32, 32); });
        m_system.Update(0.016f);
        m_system.SetFrameHook({});
        return pixel;
    }

    // F9 as a player presses it: through the window's events, the input system and the files system.
    static void PressF9()
    {
        Window::System& window = Window::System::GetInstance();
        Input::System& input = Input::System::GetInstance();
        Files::System& files = Files::System::GetInstance();
        for (const bool down : {true, false})
        {
            Testing::PushKey(SDL_SCANCODE_F9, down);
            window.Update(0.016f);
            input.Update(0.016f);
            files.Update(0.016f);
        }
    }

    Shader& Solid() { return *Resources::System::GetInstance().GetResource<Shader>("Solid"); }

    System& m_system = System::GetInstance();
    Testing::TempDirectory m_folder;
    std::vector<std::unique_ptr<Game::Object>> m_objects;
};

TEST_F(ShaderReloadTest, ARewrittenStageDrawsAfterF9AndABrokenOneKeepsTheProgram)
{
    ASSERT_TRUE(Configure(R"(<Command type="Render" set="World" shader="Solid" camera="Eye"/>)"));
    AddSquare();
    ASSERT_TRUE(NearColour(Draw(), kBlue));
    const std::uint64_t first = Solid().GetGeneration();

    Testing::ScriptedInputOnly scripted;
    ASSERT_TRUE(Input::System::GetInstance().Initialize());
    Testing::PushWindowEvent(Window::System::GetInstance().window, SDL_WINDOWEVENT_FOCUS_GAINED);
    Write("solid.frag", kRedFromUniform, 1);
    EXPECT_TRUE(NearColour(Draw(), kBlue)) << "nothing changes before F9";
    {
        LogCapture log;
        PressF9();
        EXPECT_TRUE(log.ContainsWrapped("Reloaded '" + m_folder.Path() + "solid.frag'")) << log.Text();
    }
    EXPECT_NE(Solid().GetGeneration(), first);
    EXPECT_EQ(Solid().FindUniform("colour")->m_location, 7);
    EXPECT_TRUE(NearColour(Draw(), kRed));

    Write("solid.frag", "#version 450 core\n#error the designer was interrupted\n", 2);
    const GLuint program = Solid().GetProgram();
    {
        LogCapture log;
        PressF9();
        EXPECT_TRUE(log.ContainsWrapped("Compilation [solid.frag]:")) << log.Text();
        EXPECT_TRUE(log.ContainsWrapped("the designer was interrupted")) << log.Text();
        EXPECT_TRUE(log.ContainsWrapped("Could not reload '" + m_folder.Path() +
                                        "solid.frag'; the previous version stays"))
            << log.Text();
    }
    EXPECT_EQ(Solid().GetProgram(), program);
    EXPECT_TRUE(NearColour(Draw(), kRed));
}

// Every way a rewrite can be unusable leaves the program, its uniforms and its picture as they were.
TEST_F(ShaderReloadTest, UnusableRewritesKeepTheProgramWithTheirReason)
{
    ASSERT_TRUE(Configure(R"(<Command type="Render" set="World" shader="Solid" camera="Eye"/>)"));
    AddSquare();
    ASSERT_TRUE(NearColour(Draw(), kBlue));
    const GLuint program = Solid().GetProgram();
    const std::string frag = m_folder.Path() + "solid.frag";
    const std::string kept = "Could not reload '" + frag + "'; the previous version stays";
    int step = 0;
    const struct
    {
        const char* what;
        std::string text;
        std::vector<std::string> messages;
    } rewrites[] = {
        {"empty", "", {kept}},
        {"link error",
         "#version 450 core\nin vec3 never;\nout vec4 result;\nvoid main() { result = vec4(never, 1); }\n",
         {"Linkage:", "never", kept}},
        {"purpose of another type",
         "#version 450 core\nuniform vec3 colour;\nout vec4 result;\nvoid main() { result = vec4(colour, 1); "
         "}\n",
         {"Uniform 'colour' is of GL type 0x8B51; its purpose needs 0x8B52", kept}},
    };
    for (const auto& rewrite : rewrites)
    {
        Write("solid.frag", rewrite.text, ++step);
        LogCapture log;
        Files::System::GetInstance().CheckWatches();
        for (const std::string& message : rewrite.messages)
        {
            EXPECT_TRUE(log.ContainsWrapped(message)) << rewrite.what << ": " << message << "\n"
                                                      << log.Text();
        }
        EXPECT_EQ(Solid().GetProgram(), program) << rewrite.what;
        EXPECT_TRUE(NearColour(Draw(), kBlue)) << rewrite.what;
    }

    // A folder in the file's place cannot be read; a file that is gone is not even looked at.
    std::filesystem::remove(frag);
    {
        LogCapture log;
        Files::System::GetInstance().CheckWatches();
        EXPECT_EQ(log.Text(), "");
    }
    std::filesystem::create_directory(frag);
    MoveOn(frag, 10);
    {
        LogCapture log;
        Files::System::GetInstance().CheckWatches();
        EXPECT_TRUE(log.ContainsWrapped("Could not open shader '" + frag + "'")) << log.Text();
        EXPECT_TRUE(log.ContainsWrapped(kept)) << log.Text();
    }
    EXPECT_EQ(Solid().GetProgram(), program);
    EXPECT_TRUE(NearColour(Draw(), kBlue));
}

// The Render command keeps its subroutine's index: a rebuilt program, where the same name has another
// index, is looked up again; one that lacks the name draws nothing rather than an undefined selection.
TEST_F(ShaderReloadTest, TheRenderCommandFindsItsSubroutineInTheNewProgram)
{
    const auto pick = [](const char* red, const char* green)
    {
        return std::string("#version 450 core\nsubroutine vec4 Shade();\n") + red + green +
               "subroutine uniform Shade shade;\nout vec4 result;\nvoid main() { result = shade(); }\n";
    };
    Write("pick.frag",
          pick("layout(index = 0) subroutine(Shade) vec4 Red() { return vec4(1, 0, 0, 1); }\n",
               "layout(index = 1) subroutine(Shade) vec4 Green() { return vec4(0, 1, 0, 1); }\n"));
    Write("pick.xml", R"(<Shader><VertexShader path="solid.vert"/><FragmentShader path="pick.frag"/>
        <Uniform name="mvp" purpose="ModelViewProjectionMatrix"/></Shader>)");
    ASSERT_TRUE(
        Resources::System::GetInstance().Parse(ParseXml(R"(<ResourceSystem><Shader name="Pick" path=")" +
                                                        m_folder.Path() + R"(pick.xml"/></ResourceSystem>)")
                                                   .get()));
    ASSERT_TRUE(Configure(R"(<Command type="Render" set="World" shader="Pick" camera="Eye"
        fragmentSubroutine="Green"/>)"));
    AddSquare();
    ASSERT_TRUE(NearColour(Draw(), {0, 255, 0, 255}));

    Write("pick.frag",
          pick("layout(index = 1) subroutine(Shade) vec4 Red() { return vec4(1, 0, 0, 1); }\n",
               "layout(index = 0) subroutine(Shade) vec4 Green() { return vec4(0, 0.5, 0, 1); }\n"),
          1);
    Files::System::GetInstance().CheckWatches();
    EXPECT_TRUE(NearColour(Draw(), {0, 128, 0, 255}));

    Write("pick.frag", pick("subroutine(Shade) vec4 Red() { return vec4(1, 0, 0, 1); }\n", ""), 2);
    Files::System::GetInstance().CheckWatches();
    {
        LogCapture log;
        EXPECT_TRUE(NearColour(Draw(), kBlack));
        EXPECT_TRUE(log.ContainsWrapped("Could not find subroutine 'Green' in fragment shader"))
            << log.Text();
    }
    {
        LogCapture log;
        EXPECT_TRUE(NearColour(Draw(), kBlack));
        EXPECT_EQ(Testing::CountOf(log.Text(), "Could not find subroutine"), 0u) << "logged once";
    }
}

// A released shader, and one that is gone, watch nothing: F9 afterwards reaches neither.
TEST_F(ShaderReloadTest, AReleasedOrUnloadedShaderWatchesNothing)
{
    Files::System& files = Files::System::GetInstance();
    const std::size_t before = files.GetWatchCount();
    Shader& solid = Solid();
    EXPECT_EQ(files.GetWatchCount(), before + 2);
    solid.Release();
    EXPECT_EQ(files.GetWatchCount(), before);
    ASSERT_TRUE(solid.Initialize());
    EXPECT_EQ(files.GetWatchCount(), before + 2) << "initialising again does not watch twice";
    Resources::System::GetInstance().UnloadResource("Solid");
    EXPECT_EQ(files.GetWatchCount(), before);
    Write("solid.frag", kRedFromUniform, 1);
    LogCapture log;
    files.CheckWatches();
    EXPECT_EQ(log.Text(), "");
}
} // namespace
} // namespace Morvane::Graphics
