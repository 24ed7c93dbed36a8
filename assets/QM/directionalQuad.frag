#version 330 core
// Moonlight over the whole G-buffer, plus the dusk ambient and the glow of
// anything whose albedo was pushed above 1; for a model, its own directional
// lights too.
in vec2 texCoords;

uniform sampler2D gAlbedo;
uniform sampler2D gPosition;
uniform sampler2D gNormals;
// A soft white light from the camera's other side, for a model that brings
// no lights of its own; 0 for the moor.
uniform float fillLight;
// What only physically based surfaces read: metallic, roughness and
// occlusion, and emitted light.
uniform sampler2D gSurface;
uniform sampler2D gEmission;

layout(location = 0) out vec3 lightOut;

#include "brdf.glsl"

#include "directionalLights.glsl"
#include "environment.glsl"

vec3 shadePhysicallyBased(vec3 albedo, vec3 p, vec3 n)
{
    Surface s = readSurface(albedo, texture(gSurface, texCoords));
    vec3 v = normalize(-p);
    vec3 direct = punctualLight(s, n, v, MOON_DIRECTION, MOON_COLOUR)
        + punctualLight(s, n, v, FILL_DIRECTION, fillLight * FILL_COLOUR) + modelDirectionalLights(s, n, v);
    return direct + environmentLight(s, n, v) * s.occlusion + texture(gEmission, texCoords).rgb;
}

void main()
{
    vec3 p = texture(gPosition, texCoords).xyz;
    // Sky: drawn later over an unlit background.
    if (p == vec3(0.0)) {
        lightOut = vec3(0.0);
        return;
    }
    vec3 albedo = texture(gAlbedo, texCoords).rgb;
    vec3 encodedNormal = texture(gNormals, texCoords).xyz;
    int model = shadingModel(encodedNormal);
    if (model == UNLIT) {
        lightOut = albedo;
        return;
    }
    if (model == PHYSICALLY_BASED) {
        lightOut = shadePhysicallyBased(albedo, p, normalize(encodedNormal));
        return;
    }
    float specularIntensity = clamp(length(encodedNormal) - 1.0, 0.0, 1.0);
    vec3 n = normalize(encodedNormal);

    vec3 v = normalize(-p);
    vec3 h = normalize(MOON_DIRECTION + v);
    float lambert = max(dot(n, MOON_DIRECTION), 0.0);
    float blinn = lambert > 0.0 ? pow(max(dot(n, h), 0.0), MOON_SHININESS) : 0.0;

    vec3 moon = MOON_COLOUR * (albedo * lambert + vec3(specularIntensity * blinn * 0.5));
    vec3 emission = max(albedo - 1.0, 0.0) * EMISSION_GAIN;
    vec3 fill = fillLight * FILL_COLOUR * albedo * max(dot(n, FILL_DIRECTION), 0.0);
    lightOut = moon + fill + modelDirectionalLights(albedo, n) + AMBIENT * albedo + emission;
}
