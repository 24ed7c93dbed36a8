#version 330 core
in vec3 position;
in vec3 normal;
in vec2 texCoord;

struct Material {
    vec3 ambient;
    float shininess;
    sampler2D diffuse0;
};
uniform Material material;

layout(location = 0) out vec4 albedo;
layout(location = 1) out vec4 gPosition;
layout(location = 2) out vec4 gNormal;

void main()
{
    albedo = texture(material.diffuse0, texCoord) + vec4(material.ambient * 0.0, material.shininess * 0.0);
    gPosition = vec4(position, 1.0);
    gNormal = vec4(normal, 0.0);
}
