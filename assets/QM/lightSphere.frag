#version 330 core
// Point or spot light over the G-buffer, on both paths: the instanced positions,
// with no stencil mask (the radius test below does its job), and the
// nearest ones inside their stencil mask (the STENCILLED form, whose vertex
// stage alone differs). One shading, one radius: no seam between the two.
flat in vec3 lightViewPosition;
flat in vec3 lightViewDirection;

struct PointLight {
    vec3 color;
    float ambientIntensity;
    float diffuseIntensity;
    float constant;
    float linear;
    float quadratic;
    float radius;
    float cosInner;
    float cosOuter;
};
uniform PointLight pointLight;

uniform vec2 gScreenSize;
uniform sampler2D gAlbedo;
uniform sampler2D gPosition;
uniform sampler2D gNormals;
uniform sampler2D gSurface;

layout(location = 0) out vec3 lightOut;

#include "brdf.glsl"

// The scene's attenuation falls off fast; this lifts the wisps so a light a
// few units up still lights a clear circle on the ground and walls.
const float WISP_STRENGTH = 6.0;
const float WISP_SHININESS = 32.0;

// Additive contribution of the light at lightPos (camera space) to the
// surface at p with G-buffer normal encodedNormal. The window reaches exactly
// zero at the radius, so no edge shows where the light volume ends; ambient
// is attenuated and windowed too, leaving everything outside untouched.
vec3 shadePointLight(vec3 albedo, vec3 p, vec3 encodedNormal, vec3 lightPos, float radius)
{
    float specularIntensity = clamp(length(encodedNormal) - 1.0, 0.0, 1.0);
    vec3 n = normalize(encodedNormal);

    vec3 toLight = lightPos - p;
    float d = length(toLight);
    vec3 l = toLight / max(d, 1e-4);
    vec3 v = normalize(-p);
    vec3 h = normalize(l + v);

    float lambert = max(dot(n, l), 0.0);
    float blinn = lambert > 0.0 ? pow(max(dot(n, h), 0.0), WISP_SHININESS) : 0.0;

    float attenuation = 1.0 / (pointLight.constant + pointLight.linear * d + pointLight.quadratic * d * d);
    float r = d / radius;
    float r2 = r * r;
    float window = clamp(1.0 - r2 * r2, 0.0, 1.0);
    window *= window;
    window *= spotCone(lightViewDirection, l, pointLight.cosInner, pointLight.cosOuter);

    vec3 light = albedo * (pointLight.ambientIntensity + pointLight.diffuseIntensity * lambert)
        + vec3(pointLight.diffuseIntensity * specularIntensity * blinn);
    return pointLight.color * light * attenuation * window * WISP_STRENGTH;
}

// The same light on a physically based surface: attenuation and window as
// above, the light's ambient share on the diffuse colour only.
vec3 shadePhysicallyBased(vec3 albedo, vec4 surfaceTexel, vec3 p, vec3 n, vec3 lightPos, float radius)
{
    Surface s = readSurface(albedo, surfaceTexel);
    vec3 toLight = lightPos - p;
    float d = length(toLight);
    vec3 l = toLight / max(d, 1e-4);
    float attenuation = 1.0 / (pointLight.constant + pointLight.linear * d + pointLight.quadratic * d * d);
    float r = d / radius;
    float r2 = r * r;
    float window = clamp(1.0 - r2 * r2, 0.0, 1.0);
    window *= window;
    window *= spotCone(lightViewDirection, l, pointLight.cosInner, pointLight.cosOuter);
    vec3 strength = pointLight.color * attenuation * window * WISP_STRENGTH;
    vec3 diffuseColour = mix(s.baseColour, vec3(0.0), s.metallic);
    return punctualLight(s, n, normalize(-p), l, strength * pointLight.diffuseIntensity)
        + strength * pointLight.ambientIntensity * diffuseColour * s.occlusion;
}

void main()
{
    vec2 uv = gl_FragCoord.xy / gScreenSize;
    vec3 p = texture(gPosition, uv).xyz;
    // Nothing was drawn here: sky.
    if (p == vec3(0.0))
        discard;
    float radius = pointLight.radius;
    // Outside the light's reach, or a light with no reach at all.
    if (!(radius > 0.0) || distance(p, lightViewPosition) > radius)
        discard;
    vec3 encodedNormal = texture(gNormals, uv).xyz;
    int model = shadingModel(encodedNormal);
    if (model == UNLIT)
        discard;
    if (model == PHYSICALLY_BASED)
        lightOut = shadePhysicallyBased(texture(gAlbedo, uv).rgb, texture(gSurface, uv), p, normalize(encodedNormal),
                                        lightViewPosition, radius);
    else
        lightOut = shadePointLight(texture(gAlbedo, uv).rgb, p, encodedNormal, lightViewPosition, radius);
}
