#version 450 core

in vec2 coordinate;
in vec4 particleColour;

out vec4 fragmentColour;

void main()
{
    float fade = 1.0 - smoothstep(0.3, 0.5, length(coordinate - vec2(0.5)));
    float alpha = particleColour.a * fade;
    fragmentColour = vec4(particleColour.rgb * alpha, alpha);
}
