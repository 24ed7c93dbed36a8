// Shared by the programs that read normal maps.

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
