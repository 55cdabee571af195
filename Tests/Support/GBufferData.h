#pragma once

namespace Morvane::Testing
{
// The game's G-buffer, lit target and ambient term (its render targets' names and formats) at 160 x 100,
// for tests that draw through the game's passes at a small size.
inline constexpr const char* kSmallGBuffer = R"(<ResourceSystem>
    <Texture name="Texture_Diffuse" width="160" height="100" colorDataType="GL_UNSIGNED_BYTE"/>
    <Texture name="Texture_NormalsInView" width="160" height="100" textureFormatInternal="GL_RGBA16F"/>
    <Texture name="Texture_PositionsInView" width="160" height="100" textureFormatInternal="GL_RGBA32F"/>
    <Texture name="Texture_WorldDepth" width="160" height="100" textureFormat="GL_DEPTH_COMPONENT"
             textureFormatInternal="GL_DEPTH_COMPONENT24" colorDataType="GL_UNSIGNED_INT"/>
    <Texture name="Texture_Lit" width="160" height="100" colorDataType="GL_UNSIGNED_BYTE"/>
    <Texture name="Texture_Null" width="1" height="1">1 1 1 1</Texture>
    <FrameBuffer name="FrameBuffer_World" depthAttachment="Texture_WorldDepth">
        <Output texture="Texture_Diffuse" attachment="GL_COLOR_ATTACHMENT0"/>
        <Output texture="Texture_NormalsInView" attachment="GL_COLOR_ATTACHMENT1"/>
        <Output texture="Texture_PositionsInView" attachment="GL_COLOR_ATTACHMENT2"/>
    </FrameBuffer>
    <FrameBuffer name="FrameBuffer_Lit" depthAttachment="Texture_WorldDepth"><Output texture="Texture_Lit" attachment="GL_COLOR_ATTACHMENT0"/></FrameBuffer>
    </ResourceSystem>)";

// The game's G-buffer pass over the set "World" through "Camera_World", as a "Pass" element.
inline constexpr const char* kGBufferPass = R"(<Pass name="ConditionalPass_StandardRender">
    <Command type="SetFrameBuffer" frameBuffer="FrameBuffer_World"/>
    <Command type="Viewport" texture="Texture_Diffuse"/>
    <Command type="Depth" enabled="true" depthFunction="GL_LESS" write="true"/>
    <Command type="CullFace" enabled="true" cullMode="GL_BACK"/>
    <Command type="Blend" enabled="false"/>
    <Command type="ClearColorBuffer" color="0.53;0.74;0.92;0"/>
    <Command type="ClearDepthBuffer" depth="1"/>
    <Command type="Render" set="World" shader="Shader_GBuffer" camera="Camera_World"/>
    </Pass>)";
} // namespace Morvane::Testing
