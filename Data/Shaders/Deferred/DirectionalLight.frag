#version 450 core

// The key light, then the two fill lights.
const float kLightWeights[3] = float[](0.75, 0.35, 0.25);

uniform vec4 colour;
uniform sampler2D diffuseTexture;
uniform sampler2D normalsTexture;
uniform sampler2D positionsTexture;
uniform sampler2D ambientTerm;
uniform vec3 lightDirections[3];
uniform vec3 ambientColour;
uniform vec3 fogColour;
uniform float fogAmount;

out vec4 fragmentColour;

void main()
{
    // From the fragment, not the quad's coordinates: the targets may be smaller than the window.
    vec2 coordinate = gl_FragCoord.xy / vec2(textureSize(positionsTexture, 0));
    vec4 position = texture(positionsTexture, coordinate);
    vec4 diffuse = texture(diffuseTexture, coordinate);
    if (position.a < 0.5)
    {
        // The sky, infinitely far: all fog when there is fog, else the colour the G-buffer was cleared to.
        fragmentColour = vec4(fogAmount > 0.0 ? fogColour : diffuse.rgb, 1.0);
        return;
    }
    vec3 normal = normalize(texture(normalsTexture, coordinate).xyz);
    float light = 0.0;
    for (int index = 0; index < 3; ++index)
    {
        light += kLightWeights[index] * max(dot(normal, normalize(lightDirections[index])), 0.0);
    }
    vec3 ambient = ambientColour * texture(ambientTerm, coordinate).r;
    vec3 lit = diffuse.rgb * (ambient + colour.rgb * light);
    float fog = 1.0 - exp(-fogAmount * length(position.xyz));
    fragmentColour = vec4(mix(lit, fogColour, fog), 1.0);
}
