#version 450 core

layout(location = 0) in vec2 position;
layout(location = 1) in vec2 textureCoordinate;

uniform mat4 projection;

out vec2 coordinate;

void main()
{
    coordinate = textureCoordinate;
    gl_Position = projection * vec4(position, 0.0, 1.0);
}
