#version 330 core
// Geometry pass vertex stage of the physically based program: as the
// classic one, plus the vertex colour.
layout(location = 0) in vec3 v_position;
layout(location = 1) in vec3 v_normal;
layout(location = 2) in vec2 v_texCoord;
layout(location = 3) in mat4 v_modelView;         // locations 3..6
layout(location = 7) in mat3 v_modelViewInvTrans; // locations 7..9
layout(location = 10) in vec4 v_colour;
layout(location = 13) in vec2 v_texCoord1;
#include "deformation.glsl"

uniform mat4 projection;
// Points are drawn this many pixels wide.
uniform float pointSize;

out vec3 viewPosition;
out vec3 viewNormal;
out vec2 texCoord;
out vec2 texCoord1;
out vec4 vertexColour;

void main()
{
    vec3 position = v_position;
    vec3 normal = v_normal;
    deform(position, normal);
    vec4 p = v_modelView * vec4(position, 1.0);
    viewPosition = p.xyz;
    viewNormal = v_modelViewInvTrans * normal;
    // As the file gives them: each picture's transform is applied where it is read.
    texCoord = v_texCoord;
    texCoord1 = v_texCoord1;
    vertexColour = v_colour;
    gl_Position = projection * p;
    gl_PointSize = pointSize;
}
