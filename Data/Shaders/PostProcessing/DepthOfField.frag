#version 450 core

// Two rings of taps on the unit disc.
const vec2 kTaps[12] = vec2[](vec2(1.0, 0.0), vec2(0.5, 0.866), vec2(-0.5, 0.866), vec2(-1.0, 0.0),
                              vec2(-0.5, -0.866), vec2(0.5, -0.866), vec2(0.0, 0.5), vec2(0.433, 0.25),
                              vec2(0.433, -0.25), vec2(0.0, -0.5), vec2(-0.433, -0.25), vec2(-0.433, 0.25));

uniform sampler2D diffuseTexture;
uniform sampler2D depthTexture;
uniform float focus;
uniform float bias;
uniform float blurClamp;
uniform float aspectRatio;

in vec2 coordinate;

out vec4 fragmentColour;

void main()
{
    float radius = clamp((texture(depthTexture, coordinate).r - focus) * bias, -blurClamp, blurClamp);
    // The radius is a share of the width; a texel is taller than that share on a wide target.
    vec2 disc = vec2(radius, radius * aspectRatio);
    vec4 sum = texture(diffuseTexture, coordinate);
    for (int tap = 0; tap < 12; ++tap)
    {
        sum += texture(diffuseTexture, coordinate + kTaps[tap] * disc);
    }
    fragmentColour = sum / 13.0;
}
