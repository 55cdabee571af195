#version 450 core

// How far along an edge the blur may reach, in texels, and how little contrast counts as an edge.
const float kSpanMax = 8.0;
const float kReduceMultiplier = 1.0 / 8.0;
const float kReduceMinimum = 1.0 / 128.0;
const vec3 kLuma = vec3(0.299, 0.587, 0.114);

uniform sampler2D diffuseTexture;
uniform vec2 oneOverSize;

in vec2 coordinate;

out vec4 fragmentColour;

vec3 Tap(vec2 offset)
{
    return texture(diffuseTexture, coordinate + offset * oneOverSize).rgb;
}

void main()
{
    // Four taps half a texel off the centre: with linear filtering each averages four texels.
    float northWest = dot(Tap(vec2(-0.5, 0.5)), kLuma);
    float northEast = dot(Tap(vec2(0.5, 0.5)), kLuma);
    float southWest = dot(Tap(vec2(-0.5, -0.5)), kLuma);
    float southEast = dot(Tap(vec2(0.5, -0.5)), kLuma);
    vec3 centre = Tap(vec2(0.0));
    float middle = dot(centre, kLuma);
    float lowest = min(middle, min(min(northWest, northEast), min(southWest, southEast)));
    float highest = max(middle, max(max(northWest, northEast), max(southWest, southEast)));

    // Along the edge: across the luma gradient. A flat region gives no direction and keeps its colour.
    vec2 direction = vec2(-((northWest + northEast) - (southWest + southEast)),
                          (northWest + southWest) - (northEast + southEast));
    float reduce = max((northWest + northEast + southWest + southEast) * 0.25 * kReduceMultiplier, kReduceMinimum);
    float scale = 1.0 / (min(abs(direction.x), abs(direction.y)) + reduce);
    direction = clamp(direction * scale, vec2(-kSpanMax), vec2(kSpanMax));

    vec3 near = 0.5 * (Tap(direction * (1.0 / 3.0 - 0.5)) + Tap(direction * (2.0 / 3.0 - 0.5)));
    vec3 far = 0.5 * near + 0.25 * (Tap(direction * -0.5) + Tap(direction * 0.5));
    float farLuma = dot(far, kLuma);
    // The wider blend unless it reached past the local contrast (another edge).
    fragmentColour = vec4(farLuma < lowest || farLuma > highest ? near : far, 1.0);
}
