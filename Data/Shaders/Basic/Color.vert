#version 450 core

layout(location = 0) in vec3 position;
layout(location = 2) in vec3 normal;

uniform mat4 modelViewProjection;
uniform mat3 normalMatrix;

out vec3 viewNormal;

void main()
{
    viewNormal = normalMatrix * normal;
    gl_Position = modelViewProjection * vec4(position, 1.0);
}
