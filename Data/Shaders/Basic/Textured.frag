#version 450 core

uniform sampler2D diffuseTexture;
uniform vec4 colour;

in vec2 coordinate;

out vec4 fragmentColour;

void main()
{
    fragmentColour = texture(diffuseTexture, coordinate) * colour;
}
