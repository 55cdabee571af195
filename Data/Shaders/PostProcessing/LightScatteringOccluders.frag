#version 450 core

uniform sampler2D positionsTexture;

in vec2 coordinate;

out vec4 fragmentColour;

void main()
{
    if (texture(positionsTexture, coordinate).a < 0.5)
    {
        discard;
    }
    fragmentColour = vec4(0.0, 0.0, 0.0, 1.0);
}
