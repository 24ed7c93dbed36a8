#version 330 core
// A point light's sphere at one position, drawn inside its stencil mask.
layout(location = 0) in vec3 v_position; // already scaled to the light's radius

uniform mat4 projection;
uniform mat4 view;
uniform vec3 worldPosition;

flat out vec3 lightViewPosition;

void main()
{
    lightViewPosition = (view * vec4(worldPosition, 1.0)).xyz;
    gl_Position = projection * view * vec4(v_position + worldPosition, 1.0);
}
