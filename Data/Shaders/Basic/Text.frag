#version 450 core

uniform sampler2D glyphs;
uniform vec4 colour;

in vec2 coordinate;

out vec4 fragmentColour;

void main()
{
    fragmentColour = colour * texture(glyphs, coordinate).a;
}
