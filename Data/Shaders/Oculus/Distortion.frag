#version 450 core

uniform sampler2D picture;
uniform vec2 lensCenter;
uniform vec2 screenCenter;
uniform vec2 scale;
uniform vec2 scaleIn;
uniform vec4 warp;

in vec2 coordinate;

out vec4 fragmentColour;

void main()
{
    vec2 theta = (coordinate - lensCenter) * scaleIn;
    float radiusSquared = dot(theta, theta);
    vec2 warped = lensCenter + scale * theta *
        (warp.x + radiusSquared * (warp.y + radiusSquared * (warp.z + radiusSquared * warp.w)));
    if (any(greaterThan(abs(warped - screenCenter), vec2(0.5))))
    {
        fragmentColour = vec4(0.0, 0.0, 0.0, 1.0);
        return;
    }
    fragmentColour = texture(picture, warped);
}
