#version 450 core

uniform sampler2D diffuseTexture;
uniform int blurSize;
uniform vec2 oneOverSize;

in vec2 coordinate;

out vec4 fragmentColour;

void main()
{
    if (blurSize <= 1)
    {
        fragmentColour = texture(diffuseTexture, coordinate);
        return;
    }
    // Offsets symmetric about the fragment: for an even size they fall between texels, where linear
    // filtering averages the two.
    float first = -0.5 * float(blurSize - 1);
    vec4 sum = vec4(0.0);
    for (int y = 0; y < blurSize; ++y)
    {
        for (int x = 0; x < blurSize; ++x)
        {
            sum += texture(diffuseTexture, coordinate + (vec2(x, y) + first) * oneOverSize);
        }
    }
    fragmentColour = sum / float(blurSize * blurSize);
}
