// Shared by the programs that light physically based surfaces with the
// environment: a cube with its mip chain for rougher surfaces, and its
// irradiance as nine spherical harmonics, both in world directions. Needs
// brdf.glsl first.
uniform samplerCube environmentMap;
uniform float environmentMips;
uniform vec3 environmentSH[9];
uniform mat3 viewToWorld;

// The light arriving at a surface facing d, from the harmonics (Ramamoorthi
// and Hanrahan's constants); the cosine-weighted sum over the hemisphere.
vec3 irradiance(vec3 d)
{
    const float c1 = 0.429043, c2 = 0.511664, c3 = 0.743125, c4 = 0.886227, c5 = 0.247708;
    vec3 L00 = environmentSH[0], L1m1 = environmentSH[1], L10 = environmentSH[2], L11 = environmentSH[3];
    vec3 L2m2 = environmentSH[4], L2m1 = environmentSH[5], L20 = environmentSH[6], L21 = environmentSH[7];
    vec3 L22 = environmentSH[8];
    return c1 * L22 * (d.x * d.x - d.y * d.y) + c3 * L20 * d.z * d.z + c4 * L00 - c5 * L20
        + 2.0 * c1 * (L2m2 * d.x * d.y + L21 * d.x * d.z + L2m1 * d.y * d.z)
        + 2.0 * c2 * (L11 * d.x + L1m1 * d.y + L10 * d.z);
}

// The split-sum's scale and bias of f0 for reflected environment light, by
// Karis's fitted curve in place of a lookup table.
vec2 environmentBrdf(float NdotV, float roughness)
{
    const vec4 c0 = vec4(-1.0, -0.0275, -0.572, 0.022);
    const vec4 c1 = vec4(1.0, 0.0425, 1.04, -0.04);
    vec4 r = roughness * c0 + c1;
    float a004 = min(r.x * r.x, exp2(-9.28 * NdotV)) * r.x + r.y;
    return vec2(-1.04, 1.04) * a004 + r.zw;
}

// The environment's light leaving the surface towards v (all in camera space).
vec3 environmentLight(Surface s, vec3 n, vec3 v)
{
    vec3 worldNormal = viewToWorld * n;
    vec3 worldReflection = viewToWorld * reflect(-v, n);
    vec3 f0 = surfaceF0(s);
    vec2 scaleBias = environmentBrdf(max(dot(n, v), 1e-4), s.roughness);
    vec3 reflected = textureLod(environmentMap, worldReflection, s.roughness * environmentMips).rgb;
    return surfaceDiffuse(s) * max(irradiance(worldNormal), 0.0) / PI
        + reflected * (f0 * scaleBias.x + scaleBias.y) * surfaceSpecularWeight(s);
}
