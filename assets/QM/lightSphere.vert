#version 330 core
// A point light's sphere, instanced over the positions the stencilled path
// did not take.
layout(location = 0) in vec3 v_position;      // already scaled to the light's radius
layout(location = 1) in vec3 v_worldPosition; // per instance

uniform mat4 projection;
uniform mat4 view;

flat out vec3 lightViewPosition;

void main()
{
    lightViewPosition = (view * vec4(v_worldPosition, 1.0)).xyz;
    gl_Position = projection * view * vec4(v_position + v_worldPosition, 1.0);
}
