#version 330 core
// A point light's sphere, instanced over the positions the stencilled path
// did not take; in its STENCILLED form, at one position, drawn inside its
// stencil mask.
layout(location = 0) in vec3 v_position;      // already scaled to the light's radius
#ifdef STENCILLED
uniform vec3 worldPosition;
uniform vec3 worldDirection;
#else
layout(location = 1) in vec3 v_worldPosition; // per instance
layout(location = 2) in vec3 v_worldDirection;
#endif

uniform mat4 projection;
uniform mat4 view;

flat out vec3 lightViewPosition;
// Where a spot light points.
flat out vec3 lightViewDirection;

void main()
{
#ifdef STENCILLED
    vec3 centre = worldPosition;
    vec3 direction = worldDirection;
#else
    vec3 centre = v_worldPosition;
    vec3 direction = v_worldDirection;
#endif
    lightViewPosition = (view * vec4(centre, 1.0)).xyz;
    lightViewDirection = mat3(view) * direction;
    gl_Position = projection * view * vec4(v_position + centre, 1.0);
}
