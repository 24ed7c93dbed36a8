// How a deforming mesh's vertex moves within its object before its
// model-view matrix: its morph targets, then its skin. Only the programs
// made for deforming meshes define DEFORMING; in the others deform() does
// nothing, and costs nothing.
#ifdef DEFORMING
layout(location = 11) in uvec4 v_bones;
layout(location = 12) in vec4 v_boneWeights;

#define MAX_ACTIVE_MORPH_TARGETS 8

uniform bool skinned;
// Matrices per copy: one a bone, then the mesh's own frame.
uniform int paletteSize;
// Every copy's palette in turn, a matrix in 4 texels (its columns).
uniform samplerBuffer bonePalettes;
uniform int morphCount;
uniform int morphTargets[MAX_ACTIVE_MORPH_TARGETS];
uniform float morphWeights[MAX_ACTIVE_MORPH_TARGETS];
uniform int morphVertexCount;
// For each target, for each vertex: the change of its position, then of its normal.
uniform samplerBuffer morphDeltas;

mat4 paletteMatrix(uint bone)
{
    int texel = 4 * (gl_InstanceID * paletteSize + int(bone));
    return mat4(texelFetch(bonePalettes, texel), texelFetch(bonePalettes, texel + 1),
                texelFetch(bonePalettes, texel + 2), texelFetch(bonePalettes, texel + 3));
}

void deform(inout vec3 position, inout vec3 normal)
{
    for (int k = 0; k < morphCount; ++k) {
        // With indices, gl_VertexID is the vertex's number in the mesh.
        int texel = 2 * (morphTargets[k] * morphVertexCount + gl_VertexID);
        position += morphWeights[k] * texelFetch(morphDeltas, texel).xyz;
        normal += morphWeights[k] * texelFetch(morphDeltas, texel + 1).xyz;
    }
    if (skinned) {
        mat4 skin = v_boneWeights.x * paletteMatrix(v_bones.x) + v_boneWeights.y * paletteMatrix(v_bones.y) +
                    v_boneWeights.z * paletteMatrix(v_bones.z) + v_boneWeights.w * paletteMatrix(v_bones.w);
        position = (skin * vec4(position, 1.0)).xyz;
        // Bones turn and move; the few that scale do so evenly enough for the rigid part.
        normal = mat3(skin) * normal;
    }
}
#else
void deform(inout vec3 position, inout vec3 normal)
{
}
#endif
