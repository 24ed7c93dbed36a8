#version 330 core
// Placeholder until the sky pass.
layout(location = 0) in vec3 v_position;
uniform mat4 viewProj;
out vec3 direction;
void main()
{
    direction = v_position;
    gl_Position = (viewProj * vec4(v_position, 1.0)).xyww;
}
