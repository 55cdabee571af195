#pragma once

#include <glm/vec3.hpp>

// What the render controller applies after each level load: the effects, the menu's display options
// and the level's lighting, one record for the whole process.
struct RenderSettings
{
    static RenderSettings& GetInstance()
    {
        static RenderSettings instance;
        return instance;
    }

    bool bloom = true;
    bool depthOfField = true;
    bool ambientOcclusion = true;
    bool headMountedDisplay = false;
    bool fxaa = true;
    bool verticalSync = true;
    float renderQuality = 1.0f;

    glm::vec3 fogColor{0.0f};
    glm::vec3 skyColor{0.0f};
    glm::vec3 ambientColor{0.0f};
    glm::vec3 attenuation{0.0f};
    float fogAmount = 0.0f;
};
