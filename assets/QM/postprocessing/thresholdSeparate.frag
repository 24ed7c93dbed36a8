#version 330 core
// Bright pass for the bloom: keeps what is brighter than 1 in the lit HDR
// image (in practice the glimmets), with a soft knee so it fades in rather
// than cutting a hard outline.
in vec2 texCoords;

uniform sampler2D image;

layout(location = 0) out vec3 brightOut;

void main()
{
    vec3 colour = texture(image, texCoords).rgb;
    float luminance = dot(colour, vec3(0.2126, 0.7152, 0.0722));
    brightOut = colour * smoothstep(0.8, 1.2, luminance);
}
