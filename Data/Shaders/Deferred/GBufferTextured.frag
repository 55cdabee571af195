#version 450 core

uniform vec4 colour;
uniform sampler2D diffuseTexture;
uniform vec2 textureOffset;
uniform vec2 textureScale;

in vec3 viewPosition;
in vec3 viewNormal;
in vec2 coordinate;

layout(location = 0) out vec4 diffuse;
layout(location = 1) out vec4 normalInView;
layout(location = 2) out vec4 positionInView;

void main()
{
    diffuse = colour * texture(diffuseTexture, coordinate * textureScale + textureOffset);
    // The view depth rides in the normals' alpha for the edge detection.
    normalInView = vec4(normalize(viewNormal), -viewPosition.z);
    positionInView = vec4(viewPosition, 1.0);
}
