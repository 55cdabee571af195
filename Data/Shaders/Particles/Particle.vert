#version 450 core

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 textureCoordinate;
layout(location = 3) in mat4 world;
layout(location = 7) in vec4 colour;

uniform mat4 view;
uniform mat4 projection;
uniform float particlesScale;

out vec2 coordinate;
out vec4 particleColour;

// Particles fade out as they come within 1.5 units of the eye and vanish at 0.5: one right at the
// camera would cover the whole picture.
const float kNearGone = 0.5;
const float kNearFull = 1.5;

void main()
{
    vec4 centre = view * world * vec4(0.0, 0.0, 0.0, 1.0);
    vec2 size = vec2(length(world[0].xyz), length(world[1].xyz)) * particlesScale;
    coordinate = textureCoordinate;
    float nearFade = clamp((-centre.z - kNearGone) / (kNearFull - kNearGone), 0.0, 1.0);
    particleColour = vec4(colour.rgb, colour.a * nearFade);
    gl_Position = projection * (centre + vec4(position.xy * size, 0.0, 0.0));
}
