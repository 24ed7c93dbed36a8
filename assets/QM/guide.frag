#version 330 core
// Drawn onto the display-encoded image, so the colour goes out as it is.
in vec3 lineColour;

layout(location = 0) out vec4 colour;

void main()
{
    colour = vec4(lineColour, 1.0);
}
