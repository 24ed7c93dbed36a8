#version 330 core
// Blended surfaces, and surfaces with layers the G-buffer does not keep
// (clear coat, sheen, transmission, index of refraction, specular), drawn
// over the lit image after the deferred lighting, farthest first: the
// physically based model lit here in one go by the moonlight, the fill
// light, the model's directional lights, the environment and the point
// lights nearest to the object.
#include "material.glsl"

uniform float fillLight;
// At most 4 point or spot lights, in camera space: colour times diffuse
// intensity, constant, linear and quadratic attenuation with the radius,
// and a spot light's direction and cone (inner and outer cosines).
uniform int pointLightCount;
uniform vec3 pointLightPositions[4];
uniform vec3 pointLightColours[4];
uniform vec4 pointLightFalloff[4];
uniform vec3 pointLightDirections[4];
uniform vec2 pointLightCones[4];

// glTF's further material extensions: their factors, and their pictures
// (clear coat, its roughness, transmission, thickness, sheen colour, sheen
// roughness, specular strength, specular colour), each with its texture
// transform and set of texture coordinates.
uniform sampler2D layerMaps[8];
uniform mat3 layerTransforms[8];
uniform int layerSets[8];
uniform float clearcoat;
uniform float clearcoatRoughness;
uniform vec3 sheenColour;
uniform float sheenRoughness;
uniform float transmission;
uniform float thickness;
// 0: nothing is absorbed.
uniform float attenuationDistance;
uniform vec3 attenuationColour;
uniform float ior;
uniform float specularWeight;
uniform vec3 specularColour;
// The lit opaque frame, copied before this pass with its mip chain: what
// transmitting surfaces show through them. Black where nothing was drawn.
uniform sampler2D behindMap;
uniform float behindMips;
uniform mat4 projection;
// Blended surfaces keep their alpha; the others cover what is behind them.
uniform bool blendedSurface;

layout(location = 0) out vec4 colourOut;
// Surfaces that cover write their place, for the depth of field.
layout(location = 1) out vec4 positionOut;

#include "brdf.glsl"
#include "directionalLights.glsl"
#include "environment.glsl"

// The wisps' strength, as in the deferred point-light programs.
const float WISP_STRENGTH = 6.0;
const float COAT_F0 = 0.04;

// The layers at this fragment: factors times pictures.
struct Layers {
    float clearcoat;
    float clearcoatRoughness;
    vec3 sheenColour;
    float sheenRoughness;
    float transmission;
    float thickness;
    float specularWeight;
    vec3 specularColour;
};

vec2 layerCoord(int map)
{
    return transformedCoord(layerTransforms[map], layerSets[map]);
}

Layers sampleLayers()
{
    // Samplers in an array take constant indices only.
    vec4 sheen = texture(layerMaps[4], layerCoord(4));
    vec4 specular = texture(layerMaps[7], layerCoord(7));
    return Layers(clearcoat * texture(layerMaps[0], layerCoord(0)).r,
                  clearcoatRoughness * texture(layerMaps[1], layerCoord(1)).g,
                  sheenColour * sheen.rgb,
                  sheenRoughness * texture(layerMaps[5], layerCoord(5)).a,
                  transmission * texture(layerMaps[2], layerCoord(2)).r,
                  thickness * texture(layerMaps[3], layerCoord(3)).g,
                  specularWeight * texture(layerMaps[6], layerCoord(6)).a,
                  specularColour * specular.rgb);
}

float schlick(float f0, float cosine)
{
    return f0 + (1.0 - f0) * pow(1.0 - cosine, 5.0);
}

// Charlie's sheen distribution with Neubelt's visibility, times the cosine.
float sheenLobe(Layers layers, vec3 n, vec3 v, vec3 l)
{
    float NdotL = dot(n, l);
    if (NdotL <= 0.0)
        return 0.0;
    float NdotV = max(dot(n, v), 1e-4);
    float NdotH = max(dot(n, normalize(l + v)), 0.0);
    float alpha = max(layers.sheenRoughness * layers.sheenRoughness, 1e-3);
    float distribution = (2.0 + 1.0 / alpha) * pow(max(1.0 - NdotH * NdotH, 0.0), 0.5 / alpha) / (2.0 * PI);
    float visibility = 1.0 / max(4.0 * (NdotL + NdotV - NdotL * NdotV), 1e-4);
    return distribution * visibility * NdotL;
}

// A light of this colour from l, through the base, the sheen over it and
// the clear coat on top.
vec3 layeredLight(Surface s, Layers layers, vec3 n, vec3 v, vec3 l, vec3 colour)
{
    vec3 light = punctualLight(s, n, v, l, colour) + PI * colour * layers.sheenColour * sheenLobe(layers, n, v, l);
    if (layers.clearcoat > 0.0 && dot(n, l) > 0.0) {
        vec3 h = normalize(l + v);
        float coat = layers.clearcoat * schlick(COAT_F0, max(dot(v, h), 0.0));
        float lobe = specularLobe(dot(n, l), max(dot(n, v), 1e-4), max(dot(n, h), 0.0),
                                  max(layers.clearcoatRoughness, 0.03));
        light = light * (1.0 - coat) + PI * colour * coat * lobe * dot(n, l);
    }
    return light;
}

// The environment through the same layers; the sheen's share of it is
// approximated by the diffuse light it receives.
vec3 layeredEnvironment(Surface s, Layers layers, vec3 n, vec3 v)
{
    float NdotV = max(dot(n, v), 1e-4);
    vec3 light = environmentLight(s, n, v) * s.occlusion
        + layers.sheenColour * max(irradiance(viewToWorld * n), 0.0) / PI * (1.0 - layers.sheenRoughness) * 0.25;
    if (layers.clearcoat > 0.0) {
        float roughness = max(layers.clearcoatRoughness, 0.03);
        vec2 scaleBias = environmentBrdf(NdotV, roughness);
        vec3 reflected = textureLod(environmentMap, viewToWorld * reflect(-v, n), roughness * environmentMips).rgb;
        float coat = layers.clearcoat * schlick(COAT_F0, NdotV);
        light = light * (1.0 - coat) + layers.clearcoat * reflected * (COAT_F0 * scaleBias.x + scaleBias.y);
    }
    return light;
}

// The light that passes through: the opaque frame behind, seen along the
// ray refracted into a volume of the material's thickness (a screen-space
// approximation: the exit point is looked up in the copy of the frame), as
// blurred as the surface is rough, tinted by the base colour and absorbed
// over the thickness.
vec3 transmittedLight(Surface s, float depth, vec3 n, vec3 v)
{
    vec3 ray = refract(-v, n, 1.0 / ior);
    vec4 clip = projection * vec4(viewPosition + ray * depth, 1.0);
    // A ray bent back past the eye keeps the fragment's own place.
    vec2 at = clip.w > 1e-4 ? clamp(clip.xy / clip.w * 0.5 + 0.5, 0.0, 1.0) : gl_FragCoord.xy / vec2(textureSize(behindMap, 0));
    vec3 behind = textureLod(behindMap, at, s.roughness * clamp(ior * 2.0 - 2.0, 0.0, 1.0) * behindMips).rgb;
    // Nothing opaque behind: the environment along the ray.
    if (behind == vec3(0.0))
        behind = textureLod(environmentMap, viewToWorld * ray, s.roughness * environmentMips).rgb;
    vec3 absorbed = depth > 0.0 && attenuationDistance > 0.0
        ? pow(max(attenuationColour, vec3(1e-6)), vec3(depth / attenuationDistance)) : vec3(1.0);
    vec3 f0 = surfaceF0(s);
    vec3 fresnel = surfaceSpecularWeight(s) * (f0 + (1.0 - f0) * pow(1.0 - max(dot(n, v), 0.0), 5.0));
    return (1.0 - s.metallic) * s.transmission * (1.0 - fresnel) * s.baseColour * behind * absorbed;
}

void main()
{
    MaterialSample m = sampleMaterial();
    // Sampled before any fragment is cut, while the derivatives hold.
    Layers layers = sampleLayers();
    if (m.baseColour.a < alphaCutoff)
        discard;
    float f0 = pow((ior - 1.0) / (ior + 1.0), 2.0);
    Surface s = Surface(m.baseColour.rgb, m.metallic, max(m.roughness, 0.03), m.occlusion,
                        min(f0 * layers.specularColour, vec3(1.0)), layers.specularWeight, layers.transmission);
    vec3 n = m.normal;
    vec3 v = normalize(-viewPosition);
    vec3 light = layeredLight(s, layers, n, v, MOON_DIRECTION, MOON_COLOUR)
        + layeredLight(s, layers, n, v, FILL_DIRECTION, fillLight * FILL_COLOUR)
        + layeredEnvironment(s, layers, n, v) + m.emission;
    for (int i = 0; i < directionalCount; ++i)
        light += layeredLight(s, layers, n, v, directionalDirections[i], directionalColours[i]);
    for (int i = 0; i < pointLightCount; ++i) {
        vec3 toLight = pointLightPositions[i] - viewPosition;
        float d = length(toLight);
        vec4 f = pointLightFalloff[i];
        float r = d / f.w;
        float window = clamp(1.0 - r * r * r * r, 0.0, 1.0);
        vec3 l = toLight / max(d, 1e-4);
        float attenuation = window * window / (f.x + f.y * d + f.z * d * d)
            * spotCone(pointLightDirections[i], l, pointLightCones[i].x, pointLightCones[i].y);
        light += layeredLight(s, layers, n, v, l, pointLightColours[i] * attenuation * WISP_STRENGTH);
    }
    if (layers.transmission > 0.0)
        light += transmittedLight(s, layers.thickness, n, v);
    colourOut = vec4(light, blendedSurface ? m.baseColour.a : 1.0);
    // Alpha 1: the blending that covers the lit image replaces the place.
    positionOut = vec4(viewPosition, 1.0);
}
