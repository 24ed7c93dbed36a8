#version 330 core
// Blended surfaces, drawn over the lit image after the deferred lighting,
// farthest first: the physically based model lit here in one go by the
// moonlight, the fill light, the environment and the point lights nearest
// to the object.
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

layout(location = 0) out vec4 colourOut;

#include "brdf.glsl"
#include "directionalLights.glsl"
#include "environment.glsl"

// The wisps' strength, as in the deferred point-light programs.
const float WISP_STRENGTH = 6.0;

void main()
{
    MaterialSample m = sampleMaterial();
    Surface s = Surface(m.baseColour.rgb, m.metallic, max(m.roughness, 0.03), m.occlusion);
    vec3 n = m.normal;
    vec3 v = normalize(-viewPosition);
    vec3 light = punctualLight(s, n, v, MOON_DIRECTION, MOON_COLOUR)
        + punctualLight(s, n, v, FILL_DIRECTION, fillLight * FILL_COLOUR)
        + modelDirectionalLights(s, n, v) + environmentLight(s, n, v) * s.occlusion + m.emission;
    for (int i = 0; i < pointLightCount; ++i) {
        vec3 toLight = pointLightPositions[i] - viewPosition;
        float d = length(toLight);
        vec4 f = pointLightFalloff[i];
        float r = d / f.w;
        float window = clamp(1.0 - r * r * r * r, 0.0, 1.0);
        vec3 l = toLight / max(d, 1e-4);
        float attenuation = window * window / (f.x + f.y * d + f.z * d * d)
            * spotCone(pointLightDirections[i], l, pointLightCones[i].x, pointLightCones[i].y);
        light += punctualLight(s, n, v, l, pointLightColours[i] * attenuation * WISP_STRENGTH);
    }
    colourOut = vec4(light, m.baseColour.a);
}
