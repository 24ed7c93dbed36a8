#version 330 core
// Billboard geometry pass: alpha-tested picture into the G-buffer.
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
    vec4 picture = texture(material.diffuse0, texCoord);
    // The G-buffer has no alpha: cut the outline instead of blending it.
    if (picture.a < 0.5)
        discard;
    // Every material uses an ambient of 0.2, where this is the identity; a
    // material with another ambient comes out lighter or darker.
    gAlbedoOut = srgbToLinear(picture.rgb) * (material.ambient / 0.2);
    gPositionOut = viewPosition;
    float specular = 0.05 * clamp(material.shininess / 64.0, 0.0, 1.0);
    gNormalOut = normalize(viewNormal) * (1.0 + specular);
}
