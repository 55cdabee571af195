#version 450 core

uniform sampler2D diffuseTexture;

in vec2 coordinate;

out vec4 fragmentColour;

void main()
{
    fragmentColour = vec4(texture(diffuseTexture, coordinate).rgb, 1.0);
}
