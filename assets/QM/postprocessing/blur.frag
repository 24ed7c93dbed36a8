#version 330 core
// One direction of a separable 9-tap Gaussian; the renderer alternates
// horizontal and vertical passes.
in vec2 texCoords;

uniform sampler2D image;
uniform int horizontal;

layout(location = 0) out vec3 blurOut;

const float WEIGHTS[5] = float[5](0.227027, 0.1945946, 0.1216216, 0.054054, 0.016216);

void main()
{
    vec2 texel = 1.0 / vec2(textureSize(image, 0));
    vec2 stepDir = horizontal == 1 ? vec2(texel.x, 0.0) : vec2(0.0, texel.y);
    vec3 sum = texture(image, texCoords).rgb * WEIGHTS[0];
    for (int i = 1; i < 5; ++i) {
        sum += texture(image, texCoords + stepDir * float(i)).rgb * WEIGHTS[i];
        sum += texture(image, texCoords - stepDir * float(i)).rgb * WEIGHTS[i];
    }
    blurOut = sum;
}
