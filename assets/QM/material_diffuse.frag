#version 330 core
// Geometry pass for plain materials: a diffuse texture only, the geometric
// normal and a faint constant sheen.
in vec3 viewPosition;
in vec3 viewNormal;
in vec2 texCoord;

struct Material {
    vec3 ambient;
    float shininess;
    sampler2D diffuse0;
};
uniform Material material;

layout(location = 0) out vec3 gAlbedoOut;
layout(location = 1) out vec3 gPositionOut;
layout(location = 2) out vec3 gNormalOut;

#include "colour.glsl"

void main()
{
    // Every material uses an ambient of 0.2, where this is the identity; a
    // material with another ambient comes out lighter or darker.
    gAlbedoOut = srgbToLinear(texture(material.diffuse0, texCoord).rgb) * (material.ambient / 0.2);
    gPositionOut = viewPosition;
    // No specular map: a small constant, still scaled by how shiny the material claims to be.
    float specular = 0.05 * clamp(material.shininess / 64.0, 0.0, 1.0);
    gNormalOut = normalize(viewNormal) * (1.0 + specular);
}
