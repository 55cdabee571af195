#version 450 core

layout(location = 0) in vec3 position;
layout(location = 1) in vec2 textureCoordinate;
layout(location = 2) in vec3 normal;

uniform mat4 modelViewProjection;
uniform mat4 modelView;
uniform mat3 normalMatrix;

out vec3 viewPosition;
out vec3 viewNormal;
out vec2 coordinate;

void main()
{
    viewPosition = (modelView * vec4(position, 1.0)).xyz;
    viewNormal = normalMatrix * normal;
    coordinate = textureCoordinate;
    gl_Position = modelViewProjection * vec4(position, 1.0);
}
