#version 450 core

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 textureCoordinate;

uniform mat4 view;
uniform mat4 projection;
uniform mat4 textureMatrix;

out vec2 coordinate;

void main()
{
    coordinate = (textureMatrix * vec4(textureCoordinate, 0.0, 1.0)).xy;
    gl_Position = projection * view * vec4(position, 1.0);
}
