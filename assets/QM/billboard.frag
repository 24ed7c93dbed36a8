#version 330 core
out vec4 colour;
void main()
{
    colour = vec4(1.0);
}
