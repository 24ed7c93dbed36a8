#version 330 core
// Billboards: each instance is one placeholder triangle whose corners are
// ignored; the geometry stage builds the quad from the instance's placement.
// Here the per-instance matrix is the object's world matrix, not model-view.
layout(location = 3) in mat4 v_modelView; // locations 3..6

out vec3 worldOrigin;
out float worldScale;

void main()
{
    worldOrigin = (v_modelView * vec4(0.0, 0.0, 0.0, 1.0)).xyz;
    // Scaled placements get bigger pictures.
    worldScale = length(v_modelView[0].xyz);
    gl_Position = vec4(worldOrigin, 1.0);
}
