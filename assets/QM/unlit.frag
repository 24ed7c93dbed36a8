#version 330 core
// Geometry pass of points and lines, and of surfaces their file marks
// unlit: their base colour as it is (factor, picture, vertex colour), unlit
// (the normal's length tells the lighting passes so).
in vec3 viewPosition;
in vec3 viewNormal;
in vec2 texCoord;
in vec2 texCoord1;
in vec4 vertexColour;

uniform vec4 baseColourFactor;
uniform sampler2D baseColourMap;
// The base colour picture's texture transform first.
uniform mat3 uvTransforms[5];
uniform int uvSets[5];
// Fragments less opaque than this are cut; below 0 for other materials.
uniform float alphaCutoff;

layout(location = 0) out vec3 gAlbedoOut;
layout(location = 1) out vec3 gPositionOut;
layout(location = 2) out vec3 gNormalOut;

void main()
{
    vec4 colour = baseColourFactor * texture(baseColourMap, (uvTransforms[0] * vec3(uvSets[0] == 1 ? texCoord1 : texCoord, 1.0)).xy) * vertexColour;
    if (colour.a < alphaCutoff)
        discard;
    gAlbedoOut = colour.rgb;
    gPositionOut = viewPosition;
    gNormalOut = vec3(0.0, 0.0, 8.0);
}
