#version 450 core

in vec2 coordinate;
in vec4 particleColour;

uniform sampler2D spotTexture;

out vec4 fragmentColour;

void main()
{
    float alpha = particleColour.a * texture(spotTexture, coordinate).a;
    fragmentColour = vec4(particleColour.rgb * alpha, alpha);
}
