#version 330 core
// Geometry pass for the glimmets. Their albedo is pushed above 1: the
// directional pass adds the excess back as emitted light, which is then
// bright enough for the bloom to catch.
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

const float GLOW = 3.0;

#include "colour.glsl"

void main()
{
    // Every material uses an ambient of 0.2, where this is the identity; a
    // material with another ambient glows more or less.
    gAlbedoOut = srgbToLinear(texture(material.diffuse0, texCoord).rgb) * GLOW * (material.ambient / 0.2);
    gPositionOut = viewPosition;
    float specular = 0.05 * clamp(material.shininess / 64.0, 0.0, 1.0);
    gNormalOut = normalize(viewNormal) * (1.0 + specular);
}
