#version 330 core
// Depth of field and distance mist on the display-encoded image.
in vec2 texCoords;

uniform sampler2D position;
uniform sampler2D image;
uniform sampler2D blurred;
uniform float focusDepth;
uniform float maxDepth;
// The mist's distances stretch with the size of the viewed world (1 for the moor).
uniform float distanceScale;

layout(location = 0) out vec3 colour;

// Display-encoded, close to the sky's horizon so distant things melt into it.
const vec3 MIST_COLOUR = vec3(0.30, 0.29, 0.38);
// Full mist just short of the far plane at 300, so its cut never shows.
const float MIST_START = 40.0;
const float MIST_FULL = 290.0;
// Below 1 thickens the mist earlier in its range.
const float MIST_SHAPE = 0.8;
// How blurred the nearest things get; the foreground should stay readable.
const float NEAR_BLUR = 0.5;

void main()
{
    vec3 p = texture(position, texCoords).xyz;
    vec3 sharp = texture(image, texCoords).rgb;
    vec3 soft = texture(blurred, texCoords).rgb;

    // A zero position is the sky: infinitely far, fully blurred, no mist
    // (the sky already is the colour the mist fades to). Blended surfaces
    // over it leave no position: they stay sharp (the image's alpha is
    // their coverage).
    if (p == vec3(0.0)) {
        colour = texture(image, texCoords).a > 0.0 ? sharp : soft;
        return;
    }
    float depth = -p.z;

    float farBlur = clamp((depth - focusDepth) / max(maxDepth - focusDepth, 1e-3), 0.0, 1.0);
    // Nearer than half the focus distance things soften a little toward the camera.
    float nearRange = max(focusDepth * 0.5, 1e-3);
    float nearBlur = NEAR_BLUR * (1.0 - smoothstep(0.0, nearRange, depth));
    vec3 focused = mix(sharp, soft, max(farBlur, nearBlur));

    float mist = pow(smoothstep(MIST_START * distanceScale, MIST_FULL * distanceScale, depth), MIST_SHAPE);
    colour = mix(focused, MIST_COLOUR, mist);
}
