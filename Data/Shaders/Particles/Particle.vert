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

void main()
{
    vec4 centre = view * world * vec4(0.0, 0.0, 0.0, 1.0);
    vec2 size = vec2(length(world[0].xyz), length(world[1].xyz)) * particlesScale;
    coordinate = textureCoordinate;
    particleColour = colour;
    gl_Position = projection * (centre + vec4(position.xy * size, 0.0, 0.0));
}
