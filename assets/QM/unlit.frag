#version 330 core
// Geometry pass of points and lines: their colour as it is, unlit (the
// normal's length tells the lighting passes so).
in vec3 viewPosition;
in vec3 viewNormal;
in vec2 texCoord;
in vec4 vertexColour;

uniform vec4 baseColourFactor;

layout(location = 0) out vec3 gAlbedoOut;
layout(location = 1) out vec3 gPositionOut;
layout(location = 2) out vec3 gNormalOut;

void main()
{
    gAlbedoOut = baseColourFactor.rgb * vertexColour.rgb;
    gPositionOut = viewPosition;
    gNormalOut = vec3(0.0, 0.0, 8.0);
}
