#version 330 core
// Moonlight over the whole G-buffer, plus the dusk ambient and the glow of
// anything whose albedo was pushed above 1.
in vec2 texCoords;

uniform sampler2D gAlbedo;
uniform sampler2D gPosition;
uniform sampler2D gNormals;
// A soft white light from the camera's other side, for a model that brings
// no lights of its own; 0 for the moor.
uniform float fillLight;

layout(location = 0) out vec3 lightOut;

// The renderer sends no direction: the moon hangs fixed relative to the
// camera, above and a little to the side.
const vec3 MOON_DIRECTION = normalize(vec3(0.3, 0.8, 0.4));
const vec3 MOON_COLOUR = vec3(0.55, 0.62, 0.85) * 0.32;
const float MOON_SHININESS = 32.0;
// Keeps shadowed sides from going pitch black, tinted to the dusk sky.
const vec3 AMBIENT = vec3(0.05, 0.055, 0.075);
const float EMISSION_GAIN = 2.0;
const vec3 FILL_DIRECTION = normalize(vec3(-0.6, 0.3, 0.7));
const vec3 FILL_COLOUR = vec3(0.22);

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
    float specularIntensity = clamp(length(encodedNormal) - 1.0, 0.0, 1.0);
    vec3 n = normalize(encodedNormal);

    vec3 v = normalize(-p);
    vec3 h = normalize(MOON_DIRECTION + v);
    float lambert = max(dot(n, MOON_DIRECTION), 0.0);
    float blinn = lambert > 0.0 ? pow(max(dot(n, h), 0.0), MOON_SHININESS) : 0.0;

    vec3 moon = MOON_COLOUR * (albedo * lambert + vec3(specularIntensity * blinn * 0.5));
    vec3 emission = max(albedo - 1.0, 0.0) * EMISSION_GAIN;
    vec3 fill = fillLight * FILL_COLOUR * albedo * max(dot(n, FILL_DIRECTION), 0.0);
    lightOut = moon + fill + AMBIENT * albedo + emission;
}
