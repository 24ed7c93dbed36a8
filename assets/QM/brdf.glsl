// Shared by the programs that light physically based surfaces: the
// metal-rough model of glTF 2.0 (its appendix B), with the GGX distribution,
// Smith's height-correlated visibility and Schlick's Fresnel term.
const float PI = 3.14159265;

// The G-buffer normal's length says how the surface is lit: 1 to 2 classic
// (the excess is the specular intensity), 4 physically based, 8 unlit.
const int CLASSIC = 0;
const int PHYSICALLY_BASED = 1;
const int UNLIT = 2;

int shadingModel(vec3 encodedNormal)
{
    float len = length(encodedNormal);
    return len > 6.0 ? UNLIT : len > 3.0 ? PHYSICALLY_BASED : CLASSIC;
}

struct Surface {
    vec3 baseColour;
    float metallic;
    float roughness;
    float occlusion;
    // The dielectric part's reflection at normal incidence and its weight
    // (glTF's index of refraction and specular extensions), and the share
    // of its diffuse light that passes through instead (transmission).
    vec3 dielectricF0;
    float specularWeight;
    float transmission;
};

// From the albedo target and the surface target (metallic, roughness, occlusion).
Surface readSurface(vec3 albedo, vec4 surfaceTexel)
{
    // A perfectly smooth surface would make the distribution a spike no pixel samples.
    return Surface(albedo, surfaceTexel.r, max(surfaceTexel.g, 0.03), surfaceTexel.b, vec3(0.04), 1.0, 0.0);
}

// Reflection at normal incidence, and how much of the reflection counts.
vec3 surfaceF0(Surface s)
{
    return mix(s.dielectricF0, s.baseColour, s.metallic);
}

float surfaceSpecularWeight(Surface s)
{
    return mix(s.specularWeight, 1.0, s.metallic);
}

vec3 surfaceDiffuse(Surface s)
{
    return mix(s.baseColour, vec3(0.0), s.metallic) * (1.0 - s.transmission);
}

// GGX's distribution times Smith's height-correlated visibility.
float specularLobe(float NdotL, float NdotV, float NdotH, float roughness)
{
    float alpha = roughness * roughness;
    float a2 = alpha * alpha;
    float d = NdotH * NdotH * (a2 - 1.0) + 1.0;
    float distribution = a2 / (PI * d * d);
    float towardsLight = NdotL * sqrt(NdotV * NdotV * (1.0 - a2) + a2);
    float towardsViewer = NdotV * sqrt(NdotL * NdotL * (1.0 - a2) + a2);
    return distribution * 0.5 / max(towardsLight + towardsViewer, 1e-6);
}

// The light a surface sends towards v for light of radiance 1 arriving from l,
// times the cosine of its arrival.
vec3 brdfTimesCosine(Surface s, vec3 n, vec3 v, vec3 l)
{
    float NdotL = dot(n, l);
    if (NdotL <= 0.0)
        return vec3(0.0);
    float NdotV = max(dot(n, v), 1e-4);
    vec3 h = normalize(l + v);
    float NdotH = max(dot(n, h), 0.0);
    float VdotH = max(dot(v, h), 0.0);
    vec3 f0 = surfaceF0(s);
    vec3 diffuseColour = surfaceDiffuse(s);
    vec3 fresnel = surfaceSpecularWeight(s) * (f0 + (1.0 - f0) * pow(1.0 - VdotH, 5.0));
    return ((1.0 - fresnel) * diffuseColour / PI + fresnel * specularLobe(NdotL, NdotV, NdotH, s.roughness)) * NdotL;
}

// The classic lights' colours are the light a white matt surface facing
// them returns; the same light as radiance is pi times as strong.
vec3 punctualLight(Surface s, vec3 n, vec3 v, vec3 l, vec3 colour)
{
    return PI * colour * brdfTimesCosine(s, n, v, l);
}

// How much of a spot light reaches along l (toward the light) from a light
// pointing along spotDirection, between the cosines of its cone's half
// angles; a point light's outer cosine lies below -1 and gives 1.
float spotCone(vec3 spotDirection, vec3 l, float cosInner, float cosOuter)
{
    float scale = 1.0 / max(cosInner - cosOuter, 0.001);
    float along = clamp((dot(spotDirection, -l) - cosOuter) * scale, 0.0, 1.0);
    return along * along;
}
