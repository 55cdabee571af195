#version 450 core

uniform sampler2D diffuseTexture;
uniform float weights[8];
uniform float offsets[9];
uniform vec2 oneOverSize;

in vec2 coordinate;

out vec4 fragmentColour;

subroutine vec2 Direction();
layout(index = 0) subroutine(Direction) vec2 Horizontal() { return vec2(oneOverSize.x, 0.0); }
layout(index = 1) subroutine(Direction) vec2 Vertical() { return vec2(0.0, oneOverSize.y); }
subroutine uniform Direction direction;

void main()
{
    vec2 texel = direction();
    // The centre once, every other tap on both sides: the weights as applied add up to 1.
    vec4 sum = texture(diffuseTexture, coordinate) * weights[0];
    for (int tap = 1; tap < 8; ++tap)
    {
        // Half a texel short of the even offset: linear filtering averages the two texels there, so no
        // texel is skipped (sampling every other one draws stripes along edges).
        vec2 offset = texel * (offsets[tap] - 0.5);
        sum += (texture(diffuseTexture, coordinate + offset) + texture(diffuseTexture, coordinate - offset)) *
               weights[tap];
    }
    fragmentColour = sum;
}
