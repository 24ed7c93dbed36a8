#version 330 core
// Grid and axis lines, unlit, over the finished picture.
layout(location = 0) in vec3 v_position;
layout(location = 10) in vec3 v_colour;

uniform mat4 viewProj;

out vec3 lineColour;

void main()
{
    lineColour = v_colour;
    gl_Position = viewProj * vec4(v_position, 1.0);
}
