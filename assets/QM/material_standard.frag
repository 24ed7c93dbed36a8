#version 330 core
// Geometry pass for most materials: diffuse, specular and normal map.
in vec3 viewPosition;
in vec3 viewNormal;
in vec2 texCoord;

struct Material {
    vec3 ambient;
    float shininess;
    sampler2D diffuse0;
    sampler2D specular0;
    sampler2D normal0;
};
uniform Material material;

layout(location = 0) out vec3 gAlbedoOut;
layout(location = 1) out vec3 gPositionOut;
layout(location = 2) out vec3 gNormalOut;

#include "colour.glsl"

#include "normalFrame.glsl"

void main()
{
    vec3 N = normalize(viewNormal);
    // Normal and specular maps hold data, not colour: read them raw.
    vec3 tangentNormal = texture(material.normal0, texCoord).rgb * 2.0 - 1.0;
    vec3 n = perturbNormal(N, viewPosition, texCoord, tangentNormal);

    // Every material uses an ambient of 0.2, where this is the identity; a
    // material with another ambient comes out lighter or darker.
    gAlbedoOut = srgbToLinear(texture(material.diffuse0, texCoord).rgb) * (material.ambient / 0.2);
    gPositionOut = viewPosition;

    float specular = texture(material.specular0, texCoord).r * clamp(material.shininess / 64.0, 0.0, 1.0);
    // Specular intensity rides along as the normal's length beyond 1.
    gNormalOut = n * (1.0 + clamp(specular, 0.0, 1.0));
}
