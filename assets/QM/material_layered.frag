#version 330 core
// Geometry pass for moss-covered materials: as the standard material, with
// diffuse1 (RGBA moss) blended over diffuse0 by its alpha.
in vec3 viewPosition;
in vec3 viewNormal;
in vec2 texCoord;

struct Material {
    vec3 ambient;
    float shininess;
    sampler2D diffuse0;
    sampler2D specular0;
    sampler2D normal0;
    sampler2D diffuse1;
};
uniform Material material;

layout(location = 0) out vec3 gAlbedoOut;
layout(location = 1) out vec3 gPositionOut;
layout(location = 2) out vec3 gNormalOut;

#include "colour.glsl"

// There are no tangents, so the frame comes from how position and texture
// coordinates change across the pixel quad: T and B are the gradients of u
// and v along the surface. v runs down the image (coordinates were flipped on
// import) while the map's green points up it, hence -B for green.
// Falls back to N wherever the frame cannot be built.
vec3 perturbNormal(vec3 N, vec3 p, vec2 uv, vec3 tangentNormal)
{
    vec3 dp1 = dFdx(p);
    vec3 dp2 = dFdy(p);
    vec2 duv1 = dFdx(uv);
    vec2 duv2 = dFdy(uv);
    // Common rescaling keeps the tiny derivatives of far or finely tiled
    // surfaces away from float underflow; only directions matter below.
    float pScale = max(length(dp1), length(dp2));
    float uvScale = max(max(abs(duv1.x), abs(duv1.y)), max(abs(duv2.x), abs(duv2.y)));
    if (!(pScale > 0.0) || !(uvScale > 0.0))
        return N;
    dp1 /= pScale;
    dp2 /= pScale;
    duv1 /= uvScale;
    duv2 /= uvScale;

    vec3 dp2perp = cross(dp2, N);
    vec3 dp1perp = cross(N, dp1);
    // The determinant's sign keeps the gradients pointing the right way on
    // surfaces seen from behind; its size is dropped by the normalisation.
    float det = dot(cross(dp1, dp2), N);
    vec3 T = (dp2perp * duv1.x + dp1perp * duv2.x) * sign(det);
    vec3 B = (dp2perp * duv1.y + dp1perp * duv2.y) * sign(det);
    float longest = max(dot(T, T), dot(B, B));
    if (!(longest > 1e-12) || abs(det) < 1e-6)
        return N;
    // One shared scale keeps the relative stretch of u and v.
    float inv = inversesqrt(longest);
    T *= inv;
    B *= inv;
    if (length(cross(T, B)) < 1e-3)
        return N;
    vec3 n = T * tangentNormal.x - B * tangentNormal.y + N * tangentNormal.z;
    float len = length(n);
    return len > 1e-6 ? n / len : N;
}

void main()
{
    vec3 N = normalize(viewNormal);
    // Normal and specular maps hold data, not colour: read them raw.
    vec3 tangentNormal = texture(material.normal0, texCoord).rgb * 2.0 - 1.0;
    vec3 n = perturbNormal(N, viewPosition, texCoord, tangentNormal);

    // Every material uses an ambient of 0.2, where this is the identity; a
    // material with another ambient comes out lighter or darker.
    vec3 base = srgbToLinear(texture(material.diffuse0, texCoord).rgb);
    vec4 moss = texture(material.diffuse1, texCoord);
    // Blended in linear space, where the lighting works too.
    vec3 albedo = mix(base, srgbToLinear(moss.rgb), moss.a);
    gAlbedoOut = albedo * (material.ambient / 0.2);
    gPositionOut = viewPosition;

    float specular = texture(material.specular0, texCoord).r * clamp(material.shininess / 64.0, 0.0, 1.0);
    // Specular intensity rides along as the normal's length beyond 1.
    gNormalOut = n * (1.0 + clamp(specular, 0.0, 1.0));
}
