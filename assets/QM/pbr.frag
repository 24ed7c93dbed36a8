#version 330 core
// Geometry pass of physically based surfaces: base colour, metallic,
// roughness and occlusion into the G-buffer, emitted light into its own
// target.
#include "material.glsl"

layout(location = 0) out vec3 gAlbedoOut;
layout(location = 1) out vec3 gPositionOut;
layout(location = 2) out vec3 gNormalOut;
layout(location = 4) out vec4 gSurfaceOut;
layout(location = 5) out vec3 gEmissionOut;

void main()
{
    MaterialSample m = sampleMaterial();
    if (m.baseColour.a < alphaCutoff)
        discard;
    gAlbedoOut = m.baseColour.rgb;
    gPositionOut = viewPosition;
    // The length of 4 marks the surface as physically based for the lighting passes.
    gNormalOut = m.normal * 4.0;
    gSurfaceOut = vec4(m.metallic, m.roughness, m.occlusion, 1.0);
    gEmissionOut = m.emission;
}
