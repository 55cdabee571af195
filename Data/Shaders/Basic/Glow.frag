#version 450 core

// Something that shines by itself: brightest where it faces the viewer, dimmer toward its rim, and no
// light of the scene on it. Only the middle of white passes the bloom's threshold: a sphere with a
// small halo, not a glare.
uniform vec4 colour;

in vec3 viewNormal;

out vec4 fragmentColour;

void main()
{
    float facing = abs(normalize(viewNormal).z);
    fragmentColour = vec4(colour.rgb * (0.45 + 0.5 * facing * facing), colour.a);
}
