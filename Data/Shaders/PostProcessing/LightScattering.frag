#version 450 core

const int kSamples = 64;

uniform sampler2D occlusionTexture;
uniform vec3 lightPosition;
uniform float decay;
uniform float exposure;
uniform float density;
uniform float weight;

in vec2 coordinate;

out vec4 fragmentColour;

void main()
{
    // z below 0: the light is behind the camera, on its plane or gone.
    if (lightPosition.z < 0.0)
    {
        fragmentColour = vec4(0.0, 0.0, 0.0, 1.0);
        return;
    }
    vec2 step = (coordinate - lightPosition.xy) * density / float(kSamples);
    vec2 at = coordinate;
    float falloff = 1.0;
    vec3 sum = vec3(0.0);
    for (int index = 0; index < kSamples; ++index)
    {
        at -= step;
        sum += texture(occlusionTexture, at).rgb * falloff * weight;
        falloff *= decay;
    }
    fragmentColour = vec4(sum * exposure / float(kSamples), 1.0);
}
