// The lights every scene has, shared by the programs that apply them.

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

// A model's own directional lights, at most 4: the way toward each in
// camera space, and its colour times its intensity. None for the moor.
uniform int directionalCount;
uniform vec3 directionalDirections[4];
uniform vec3 directionalColours[4];

vec3 modelDirectionalLights(Surface s, vec3 n, vec3 v)
{
    vec3 light = vec3(0.0);
    for (int i = 0; i < directionalCount; ++i)
        light += punctualLight(s, n, v, directionalDirections[i], directionalColours[i]);
    return light;
}

// The same lights on a surface of the classic models: diffuse only.
vec3 modelDirectionalLights(vec3 albedo, vec3 n)
{
    vec3 light = vec3(0.0);
    for (int i = 0; i < directionalCount; ++i)
        light += directionalColours[i] * albedo * max(dot(n, directionalDirections[i]), 0.0);
    return light;
}
