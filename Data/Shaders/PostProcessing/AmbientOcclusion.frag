#version 450 core

const int kMaxSamples = 16;
// Keeps a flat surface from occluding itself through depth rounding.
const float kBias = 0.025;

uniform sampler2D normalsTexture;
uniform sampler2D positionsTexture;
uniform sampler2D noiseTexture;
uniform vec2 noiseScale;
uniform vec3 kernel[kMaxSamples];
uniform int kernelSize;
uniform mat4 projection;
uniform float radius;

in vec2 coordinate;

out vec4 fragmentColour;

void main()
{
    vec4 position = texture(positionsTexture, coordinate);
    if (position.a < 0.5)
    {
        // The sky: nothing to occlude.
        fragmentColour = vec4(1.0);
        return;
    }
    vec3 normal = normalize(texture(normalsTexture, coordinate).xyz);
    vec3 turn = texture(noiseTexture, coordinate * noiseScale).xyz;
    // The noise turns the kernel about the normal: a basis with the normal as its z.
    vec3 tangent = normalize(turn - normal * dot(turn, normal));
    vec3 bitangent = cross(normal, tangent);
    mat3 basis = mat3(tangent, bitangent, normal);
    float occlusion = 0.0;
    int samples = min(kernelSize, kMaxSamples);
    for (int index = 0; index < samples; ++index)
    {
        vec3 probe = position.xyz + basis * kernel[index] * radius;
        vec4 onScreen = projection * vec4(probe, 1.0);
        vec2 at = onScreen.xy / onScreen.w * 0.5 + 0.5;
        vec4 found = texture(positionsTexture, at);
        if (found.a < 0.5)
        {
            continue;
        }
        // Geometry far in front of the fragment (a wall across the room) is no occluder of it.
        float inRange = smoothstep(0.0, 1.0, radius / abs(position.z - found.z));
        occlusion += (found.z >= probe.z + kBias ? 1.0 : 0.0) * inRange;
    }
    fragmentColour = vec4(vec3(1.0 - occlusion / float(max(samples, 1))), 1.0);
}
