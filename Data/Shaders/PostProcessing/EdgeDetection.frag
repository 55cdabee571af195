#version 450 core

// A crease: the normal turns by about 30 degrees across the filter. A silhouette: the depth's slope
// changes by a tenth of the depth (a plane's depth changes evenly, so it shows none).
const float kNormalThreshold = 0.5;
const float kDepthThreshold = 0.1;

uniform sampler2D detectionTexture;

in vec2 coordinate;

out vec4 fragmentColour;

void main()
{
    vec2 texel = 1.0 / vec2(textureSize(detectionTexture, 0));
    vec4 around[9];
    for (int y = 0; y < 3; ++y)
    {
        for (int x = 0; x < 3; ++x)
        {
            around[y * 3 + x] = texture(detectionTexture, coordinate + vec2(x - 1, y - 1) * texel);
        }
    }
    vec3 acrossX = (around[2].rgb + 2.0 * around[5].rgb + around[8].rgb) -
                   (around[0].rgb + 2.0 * around[3].rgb + around[6].rgb);
    vec3 acrossY = (around[6].rgb + 2.0 * around[7].rgb + around[8].rgb) -
                   (around[0].rgb + 2.0 * around[1].rgb + around[2].rgb);
    float crease = sqrt(dot(acrossX, acrossX) + dot(acrossY, acrossY));
    float depth = around[4].a;
    float bend = abs(around[1].a + around[3].a + around[5].a + around[7].a - 4.0 * depth);
    // Depth 0 is nothing drawn: any geometry next to it is a silhouette.
    float silhouette = bend / max(max(depth, max(max(around[1].a, around[3].a), max(around[5].a, around[7].a))), 1e-4);
    bool edge = crease > kNormalThreshold || silhouette > kDepthThreshold;
    fragmentColour = vec4(vec3(edge ? 0.0 : 1.0), 1.0);
}
