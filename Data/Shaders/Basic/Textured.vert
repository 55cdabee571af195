#version 450 core

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 textureCoordinate;

uniform mat4 modelViewProjection;
uniform vec2 textureOffset;
uniform vec2 textureScale;

out vec2 coordinate;

void main()
{
    coordinate = textureCoordinate * textureScale + textureOffset;
    gl_Position = modelViewProjection * vec4(position, 1.0);
}
