#version 330 core
layout(triangles) in;
layout(triangle_strip, max_vertices = 4) out;
uniform mat4 viewProj;
void main()
{
    gl_Position = viewProj * gl_in[0].gl_Position;
    EmitVertex();
    EndPrimitive();
}
