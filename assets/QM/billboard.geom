#version 330 core
// One camera-facing quad per placeholder triangle, turning about the vertical
// axis only so the pictures stay upright.
layout(triangles) in;
layout(triangle_strip, max_vertices = 4) out;

in vec3 worldOrigin[];
in float worldScale[];

uniform mat4 viewProj;
uniform mat4 view;
uniform vec3 cameraPos;
uniform vec3 bilbDims;

out vec3 viewPosition;
out vec3 viewNormal;
out vec2 texCoord;

void main()
{
    // All three corners carry the same instance data.
    vec3 origin = worldOrigin[0];
    float scale = worldScale[0];

    vec3 toCamera = vec3(cameraPos.x - origin.x, 0.0, cameraPos.z - origin.z);
    if (dot(toCamera, toCamera) < 1e-8) {
        // Camera straight above: face against the view direction instead
        // (the view matrix's third row is the camera's backward axis in world space).
        toCamera = vec3(view[0][2], 0.0, view[2][2]);
        if (dot(toCamera, toCamera) < 1e-8)
            toCamera = vec3(0.0, 0.0, 1.0);
    }
    toCamera = normalize(toCamera);
    const vec3 up = vec3(0.0, 1.0, 0.0);
    // Points to the viewer's right, so u runs left to right on screen.
    vec3 right = normalize(cross(up, toCamera));

    // Centred on the origin both ways: the picture's lower half is empty and
    // the object stands in its upper half.
    vec3 halfWidth = right * (0.5 * bilbDims.x * scale);
    vec3 halfHeight = up * (0.5 * bilbDims.y * scale);
    vec3 normal = (view * vec4(toCamera, 0.0)).xyz;

    // The picture went up top row first, so v = 0 is its top edge.
    vec3 corners[4] = vec3[4](origin - halfWidth - halfHeight, origin + halfWidth - halfHeight,
                              origin - halfWidth + halfHeight, origin + halfWidth + halfHeight);
    vec2 uvs[4] = vec2[4](vec2(0.0, 1.0), vec2(1.0, 1.0), vec2(0.0, 0.0), vec2(1.0, 0.0));
    // Bottom-left, bottom-right, top-left, top-right: counter-clockwise as seen by the camera.
    for (int i = 0; i < 4; ++i) {
        viewPosition = (view * vec4(corners[i], 1.0)).xyz;
        viewNormal = normal;
        texCoord = uvs[i];
        gl_Position = viewProj * vec4(corners[i], 1.0);
        EmitVertex();
    }
    EndPrimitive();
}
