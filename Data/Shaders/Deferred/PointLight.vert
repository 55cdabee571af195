#version 450 core

layout(location = 0) in vec3 position;

uniform mat4 modelViewProjection;
uniform mat4 world;

// How far the light reaches: the radius of the scaled unit-diameter sphere.
flat out float reach;

void main()
{
    reach = 0.5 * length(world[0].xyz);
    gl_Position = modelViewProjection * vec4(position, 1.0);
}
