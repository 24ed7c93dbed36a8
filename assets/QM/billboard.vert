#version 330 core
// Placeholder until the billboard pass.
layout(location = 0) in vec3 v_position;
layout(location = 3) in mat4 v_modelView;
void main()
{
    gl_Position = v_modelView * vec4(v_position, 1.0);
}
