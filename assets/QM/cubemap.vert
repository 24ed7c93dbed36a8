#version 330 core
// Sky box: the view has no translation, so the cube stays around the camera.
layout(location = 0) in vec3 v_position;

uniform mat4 viewProj;

out vec3 direction;

void main()
{
    direction = v_position;
    // z = w puts the sky at the far plane (depth test is LEQUAL), behind everything.
    gl_Position = (viewProj * vec4(v_position, 1.0)).xyww;
}
