#version 330 core
// Geometry pass vertex stage shared by the mesh materials: everything the
// G-buffer stores is in camera space, so the per-instance model-view and
// normal matrices are applied here and projection only for the rasteriser.
layout(location = 0) in vec3 v_position;
layout(location = 1) in vec3 v_normal;
layout(location = 2) in vec2 v_texCoord;
layout(location = 3) in mat4 v_modelView;         // locations 3..6
layout(location = 7) in mat3 v_modelViewInvTrans; // locations 7..9
#include "deformation.glsl"

uniform mat4 projection;

out vec3 viewPosition;
out vec3 viewNormal;
out vec2 texCoord;

void main()
{
    vec3 position = v_position;
    vec3 normal = v_normal;
    deform(position, normal);
    vec4 p = v_modelView * vec4(position, 1.0);
    viewPosition = p.xyz;
    // Left unnormalised: interpolation shortens it anyway, the fragment stage normalises.
    viewNormal = v_modelViewInvTrans * normal;
    texCoord = v_texCoord;
    gl_Position = projection * p;
}
