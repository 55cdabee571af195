#version 450 core

// The screen quad's corners are already in clip space (-1 to 1): whatever the window's size, the quad
// covers the whole target the viewport names.
layout(location = 0) in vec3 position;
layout(location = 1) in vec2 textureCoordinate;

out vec2 coordinate;

void main()
{
    coordinate = textureCoordinate;
    gl_Position = vec4(position.xy, 0.0, 1.0);
}
