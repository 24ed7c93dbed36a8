#version 330 core
// Light sphere for the stencil mask: position only.
layout(location = 0) in vec3 v_position; // already scaled to the light's radius

uniform mat4 projection;
uniform mat4 view;
uniform vec3 worldPosition;

void main()
{
    gl_Position = projection * view * vec4(v_position + worldPosition, 1.0);
}
