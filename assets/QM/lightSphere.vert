#version 330 core
// A point light's sphere, instanced over the positions the stencilled path
// did not take; in its STENCILLED form, at one position, drawn inside its
// stencil mask.
layout(location = 0) in vec3 v_position;      // already scaled to the light's radius
#ifdef STENCILLED
uniform vec3 worldPosition;
#else
layout(location = 1) in vec3 v_worldPosition; // per instance
#endif

uniform mat4 projection;
uniform mat4 view;

flat out vec3 lightViewPosition;

void main()
{
#ifdef STENCILLED
    vec3 centre = worldPosition;
#else
    vec3 centre = v_worldPosition;
#endif
    lightViewPosition = (view * vec4(centre, 1.0)).xyz;
    gl_Position = projection * view * vec4(v_position + centre, 1.0);
}
