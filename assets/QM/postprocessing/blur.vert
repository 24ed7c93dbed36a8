#version 330 core
// Full-screen quad: already in clip space.
layout(location = 0) in vec2 v_position;
layout(location = 1) in vec2 v_texCoords;

out vec2 texCoords;

void main()
{
    texCoords = v_texCoords;
    gl_Position = vec4(v_position, 0.0, 1.0);
}
