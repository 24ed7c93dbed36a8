#version 330 core
// Adds the bloom to the lit image, tone-maps it by exposure and encodes the
// result for the display (everything after this works on display values).
// Where blended surfaces stand with nothing opaque behind them, their
// colour is taken whole and their coverage passed on in alpha, for the sky
// drawn next to show through them.
in vec2 texCoords;

uniform sampler2D original;
uniform sampler2D blurred;
uniform sampler2D positions;
uniform float exposure;

layout(location = 0) out vec4 colour;

const float BLOOM_STRENGTH = 0.8;
// Scales the exposure so the default of 3 gives a dim dusk with readable
// shadows, and a step of 1 either way is plainly visible.
const float EXPOSURE_SCALE = 1.0;

vec3 linearToSrgb(vec3 c)
{
    vec3 low = c * 12.92;
    vec3 high = 1.055 * pow(c, vec3(1.0 / 2.4)) - 0.055;
    return mix(low, high, step(0.0031308, c));
}

void main()
{
    vec4 lit = texture(original, texCoords);
    // A zero position is where nothing opaque was drawn.
    bool nothingBehind = texture(positions, texCoords).xyz == vec3(0.0);
    float coverage = nothingBehind ? lit.a : 1.0;
    // Blended over black, the surfaces' colour is scaled by their coverage.
    vec3 surface = coverage > 0.0 ? lit.rgb / coverage : lit.rgb;
    vec3 hdr = surface + texture(blurred, texCoords).rgb * BLOOM_STRENGTH;
    // The user can step the exposure to zero or below: that is simply black.
    float e = max(exposure, 0.0) * EXPOSURE_SCALE;
    vec3 mapped = 1.0 - exp(-max(hdr, 0.0) * e);
    colour = vec4(linearToSrgb(mapped), coverage);
}
