#version 330 core
in vec3 direction;
uniform samplerCube cubeMapTex;
out vec4 colour;
void main()
{
    colour = texture(cubeMapTex, direction);
}
