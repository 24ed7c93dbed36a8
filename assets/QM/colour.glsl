// Textures arrive sRGB-encoded as plain RGBA; lighting needs linear values.
vec3 srgbToLinear(vec3 c)
{
    vec3 low = c / 12.92;
    vec3 high = pow((c + 0.055) / 1.055, vec3(2.4));
    return mix(low, high, step(0.04045, c));
}
