#version 330 core
// Drawn after the merge onto the display-encoded image, so the texels go out as they are.
in vec3 direction;

uniform samplerCube cubeMapTex;

layout(location = 0) out vec4 colour;

void main()
{
    colour = vec4(texture(cubeMapTex, direction).rgb, 1.0);
}
