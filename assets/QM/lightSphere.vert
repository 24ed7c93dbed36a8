#version 330 core
// Placeholder until the lighting passes.
layout(location = 0) in vec3 v_position;
layout(location = 1) in vec3 v_worldPosition;
uniform mat4 viewProj;
void main()
{
    gl_Position = viewProj * vec4(v_position + v_worldPosition, 1.0);
}
