#version 450 core

const vec3 kLightDirection = normalize(vec3(0.3, 0.5, 1.0));
const float kAmbient = 0.25;

uniform vec4 colour;

in vec3 viewNormal;

out vec4 fragmentColour;

void main()
{
    float diffuse = max(dot(normalize(viewNormal), kLightDirection), 0.0);
    fragmentColour = vec4(colour.rgb * (kAmbient + (1.0 - kAmbient) * diffuse), colour.a);
}
