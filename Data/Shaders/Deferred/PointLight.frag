#version 450 core

uniform vec4 colour;
uniform sampler2D diffuseTexture;
uniform sampler2D normalsTexture;
uniform sampler2D positionsTexture;
uniform vec3 lightPosition;
uniform vec3 attenuation;

flat in float reach;

out vec4 fragmentColour;

void main()
{
    vec2 coordinate = gl_FragCoord.xy / vec2(textureSize(positionsTexture, 0));
    vec4 position = texture(positionsTexture, coordinate);
    vec3 toLight = lightPosition - position.xyz;
    float distance = length(toLight);
    if (position.a < 0.5 || distance >= reach)
    {
        discard;
    }
    vec3 normal = normalize(texture(normalsTexture, coordinate).xyz);
    float facing = distance > 1e-4 ? max(dot(normal, toLight / distance), 0.0) : 1.0;
    // 1 / (constant + linear d + quadratic d²), never above 1: (0, 0, 0) is no falloff at all.
    float falloff = 1.0 / max(attenuation.x + attenuation.y * distance + attenuation.z * distance * distance, 1.0);
    // Fades to nothing at the volume's edge, so the sphere never shows as a hard circle.
    float edge = clamp(1.0 - pow(distance / reach, 4.0), 0.0, 1.0);
    vec3 diffuse = texture(diffuseTexture, coordinate).rgb;
    fragmentColour = vec4(diffuse * colour.rgb * facing * falloff * edge * edge, 0.0);
}
