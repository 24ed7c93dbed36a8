#version 330 core
// Placeholder until the geometry pass: passes the instance's camera-space data through.
layout(location = 0) in vec3 v_position;
layout(location = 1) in vec3 v_normal;
layout(location = 2) in vec2 v_texCoord;
layout(location = 3) in mat4 v_modelView;
layout(location = 7) in mat3 v_modelViewInvTrans;

uniform mat4 projection;

out vec3 position;
out vec3 normal;
out vec2 texCoord;

void main()
{
    vec4 viewPosition = v_modelView * vec4(v_position, 1.0);
    position = viewPosition.xyz;
    normal = normalize(v_modelViewInvTrans * v_normal);
    texCoord = v_texCoord;
    gl_Position = projection * viewPosition;
}
