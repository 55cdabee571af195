#version 450 core

uniform sampler2D diffuseTexture;
uniform int blurSize;
uniform vec2 oneOverSize;

in vec2 coordinate;

out vec4 fragmentColour;

// Offsets symmetric about the fragment: for an even size they fall between texels, where linear
// filtering averages the two.
vec4 Line(vec2 step)
{
    float first = -0.5 * float(blurSize - 1);
    vec4 sum = vec4(0.0);
    for (int tap = 0; tap < blurSize; ++tap)
    {
        sum += texture(diffuseTexture, coordinate + (float(tap) + first) * step);
    }
    return sum / float(blurSize);
}

// The whole square at once, or one side of it: a horizontal pass and then a vertical one give the
// same box with 2 x blurSize taps instead of blurSize².
subroutine vec4 Blur();
layout(index = 0) subroutine(Blur) vec4 Box()
{
    float first = -0.5 * float(blurSize - 1);
    vec4 sum = vec4(0.0);
    for (int y = 0; y < blurSize; ++y)
    {
        for (int x = 0; x < blurSize; ++x)
        {
            sum += texture(diffuseTexture, coordinate + (vec2(x, y) + first) * oneOverSize);
        }
    }
    return sum / float(blurSize * blurSize);
}
layout(index = 1) subroutine(Blur) vec4 Horizontal() { return Line(vec2(oneOverSize.x, 0.0)); }
layout(index = 2) subroutine(Blur) vec4 Vertical() { return Line(vec2(0.0, oneOverSize.y)); }
subroutine uniform Blur blur;

void main()
{
    fragmentColour = blurSize <= 1 ? texture(diffuseTexture, coordinate) : blur();
}
