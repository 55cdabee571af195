#version 450 core

uniform sampler2D diffuseTexture;
uniform float weights[8];
uniform float offsets[9];
uniform vec2 oneOverSize;

in vec2 coordinate;

out vec4 fragmentColour;

// The step between taps in x and y, and in z the brightness threshold of the first step of a bloom.
subroutine vec3 Direction();
layout(index = 0) subroutine(Direction) vec3 Horizontal() { return vec3(oneOverSize.x, 0.0, 0.0); }
layout(index = 1) subroutine(Direction) vec3 Vertical() { return vec3(0.0, oneOverSize.y, 0.0); }
layout(index = 2) subroutine(Direction) vec3 BrightHorizontal() { return vec3(oneOverSize.x, 0.0, 0.85); }
subroutine uniform Direction direction;

// Below the threshold's brightness a tap is black, fading in above it, so that only what glows (not a
// bright sky) blooms.
vec4 Tap(vec2 at, float threshold)
{
    vec4 colour = texture(diffuseTexture, at);
    if (threshold <= 0.0)
    {
        return colour;
    }
    float brightness = dot(colour.rgb, vec3(0.2126, 0.7152, 0.0722));
    return vec4(colour.rgb * clamp((brightness - threshold) / (1.0 - threshold), 0.0, 1.0), colour.a);
}

void main()
{
    vec3 step = direction();
    vec2 texel = step.xy;
    // The centre once, every other tap on both sides: the weights as applied add up to 1.
    vec4 sum = Tap(coordinate, step.z) * weights[0];
    for (int tap = 1; tap < 8; ++tap)
    {
        // Half a texel short of the even offset: linear filtering averages the two texels there, so no
        // texel is skipped (sampling every other one draws stripes along edges).
        vec2 offset = texel * (offsets[tap] - 0.5);
        sum += (Tap(coordinate + offset, step.z) + Tap(coordinate - offset, step.z)) * weights[tap];
    }
    fragmentColour = sum;
}
