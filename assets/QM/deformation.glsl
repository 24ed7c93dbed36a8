// How a deforming mesh's vertex moves within its object before its
// model-view matrix: its morph targets, then its skin. Only the programs
// made for deforming meshes define DEFORMING; in the others deform() does
// nothing, and costs nothing.
#ifdef DEFORMING
layout(location = 11) in uvec4 v_bones;
layout(location = 12) in vec4 v_boneWeights;

#define MAX_ACTIVE_MORPH_TARGETS 8

uniform bool skinned;
uniform bool morphing;
// Each copy's block of matrices in turn, a matrix in 4 texels (its
// columns): the morph targets to apply (numbers in the first two columns,
// weights in the last two), then for a skinned mesh a matrix a bone and
// one for the vertices no bone moves.
uniform samplerBuffer deformationBlocks;
uniform int blockSize;
// For each target, for each vertex: the change of its position, then of its normal.
uniform samplerBuffer morphDeltas;
uniform int morphVertexCount;

mat4 blockMatrix(int m)
{
    int texel = 4 * (gl_InstanceID * blockSize + m);
    return mat4(texelFetch(deformationBlocks, texel), texelFetch(deformationBlocks, texel + 1),
                texelFetch(deformationBlocks, texel + 2), texelFetch(deformationBlocks, texel + 3));
}

void deform(inout vec3 position, inout vec3 normal)
{
    if (morphing) {
        mat4 targets = blockMatrix(0);
        for (int k = 0; k < MAX_ACTIVE_MORPH_TARGETS; ++k) {
            float weight = targets[2 + k / 4][k % 4];
            if (weight == 0.0)
                continue;
            // With indices, gl_VertexID is the vertex's number in the mesh.
            int texel = 2 * (int(targets[k / 4][k % 4]) * morphVertexCount + gl_VertexID);
            position += weight * texelFetch(morphDeltas, texel).xyz;
            normal += weight * texelFetch(morphDeltas, texel + 1).xyz;
        }
    }
    if (skinned) {
        mat4 skin = v_boneWeights.x * blockMatrix(1 + int(v_bones.x)) + v_boneWeights.y * blockMatrix(1 + int(v_bones.y)) +
                    v_boneWeights.z * blockMatrix(1 + int(v_bones.z)) + v_boneWeights.w * blockMatrix(1 + int(v_bones.w));
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
