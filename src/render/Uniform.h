#pragma once

#include <cstddef>

namespace qm {

// Every uniform the renderer sets, in one list: its slot in the C++ code and
// its name in the GLSL. A program looks each slot up once (Shader::uniform),
// so setting a uniform builds and hashes no string.
// clang-format off
#define QM_UNIFORMS(X) \
    X(projection, "projection")                                   \
    X(view, "view")                                               \
    X(viewProj, "viewProj")                                       \
    X(worldPosition, "worldPosition")                             \
    X(worldDirection, "worldDirection")                           \
    X(cameraPos, "cameraPos")                                     \
    X(bilbDims, "bilbDims")                                       \
    X(cubeMapTex, "cubeMapTex")                                   \
    X(pointSize, "pointSize")                                     \
    X(fillLight, "fillLight")                                     \
    X(viewToWorld, "viewToWorld")                                 \
    X(environmentMap, "environmentMap")                           \
    X(environmentMips, "environmentMips")                         \
    X(environmentSH, "environmentSH[0]")                          \
    X(gAlbedo, "gAlbedo")                                         \
    X(gPosition, "gPosition")                                     \
    X(gNormals, "gNormals")                                       \
    X(gSurface, "gSurface")                                       \
    X(gEmission, "gEmission")                                     \
    X(gScreenSize, "gScreenSize")                                 \
    X(pointLightColor, "pointLight.color")                        \
    X(pointLightAmbientIntensity, "pointLight.ambientIntensity")  \
    X(pointLightDiffuseIntensity, "pointLight.diffuseIntensity")  \
    X(pointLightConstant, "pointLight.constant")                  \
    X(pointLightLinear, "pointLight.linear")                      \
    X(pointLightQuadratic, "pointLight.quadratic")                \
    X(pointLightRadius, "pointLight.radius")                      \
    X(pointLightCosInner, "pointLight.cosInner")                  \
    X(pointLightCosOuter, "pointLight.cosOuter")                  \
    X(pointLightCount, "pointLightCount")                         \
    X(pointLightPositions, "pointLightPositions[0]")              \
    X(pointLightColours, "pointLightColours[0]")                  \
    X(pointLightFalloff, "pointLightFalloff[0]")                  \
    X(pointLightDirections, "pointLightDirections[0]")            \
    X(pointLightCones, "pointLightCones[0]")                      \
    X(directionalCount, "directionalCount")                       \
    X(directionalDirections, "directionalDirections[0]")          \
    X(directionalColours, "directionalColours[0]")                \
    X(materialAmbient, "material.ambient")                        \
    X(materialShininess, "material.shininess")                    \
    X(materialDiffuse0, "material.diffuse0")                      \
    X(materialDiffuse1, "material.diffuse1")                      \
    X(materialDiffuse2, "material.diffuse2")                      \
    X(materialDiffuse3, "material.diffuse3")                      \
    X(materialSpecular0, "material.specular0")                    \
    X(materialSpecular1, "material.specular1")                    \
    X(materialSpecular2, "material.specular2")                    \
    X(materialSpecular3, "material.specular3")                    \
    X(materialNormal0, "material.normal0")                        \
    X(materialNormal1, "material.normal1")                        \
    X(materialNormal2, "material.normal2")                        \
    X(materialNormal3, "material.normal3")                        \
    X(baseColourFactor, "baseColourFactor")                       \
    X(metallicFactor, "metallicFactor")                           \
    X(roughnessFactor, "roughnessFactor")                         \
    X(emissiveFactor, "emissiveFactor")                           \
    X(occlusionStrength, "occlusionStrength")                     \
    X(normalScale, "normalScale")                                 \
    X(alphaCutoff, "alphaCutoff")                                 \
    X(doubleSided, "doubleSided")                                 \
    X(hasNormalMap, "hasNormalMap")                               \
    X(uvTransforms, "uvTransforms[0]")                            \
    X(uvSets, "uvSets[0]")                                        \
    X(baseColourMap, "baseColourMap")                             \
    X(metallicRoughnessMap, "metallicRoughnessMap")               \
    X(normalMap, "normalMap")                                     \
    X(occlusionMap, "occlusionMap")                               \
    X(emissiveMap, "emissiveMap")                                 \
    X(clearcoat, "clearcoat")                                     \
    X(clearcoatRoughness, "clearcoatRoughness")                   \
    X(sheenColour, "sheenColour")                                 \
    X(sheenRoughness, "sheenRoughness")                           \
    X(transmission, "transmission")                               \
    X(thickness, "thickness")                                     \
    X(attenuationDistance, "attenuationDistance")                 \
    X(attenuationColour, "attenuationColour")                     \
    X(ior, "ior")                                                 \
    X(specularWeight, "specularWeight")                           \
    X(specularColour, "specularColour")                           \
    X(behindMap, "behindMap")                                     \
    X(behindMips, "behindMips")                                   \
    X(blendedSurface, "blendedSurface")                           \
    X(layerMaps, "layerMaps[0]")                                  \
    X(layerTransforms, "layerTransforms[0]")                      \
    X(layerSets, "layerSets[0]")                                  \
    X(skinned, "skinned")                                         \
    X(morphing, "morphing")                                       \
    X(blockSize, "blockSize")                                     \
    X(morphVertexCount, "morphVertexCount")                       \
    X(image, "image")                                             \
    X(horizontal, "horizontal")                                   \
    X(original, "original")                                       \
    X(blurred, "blurred")                                         \
    X(positions, "positions")                                     \
    X(exposure, "exposure")                                       \
    X(position, "position")                                       \
    X(focusDepth, "focusDepth")                                   \
    X(maxDepth, "maxDepth")                                       \
    X(distanceScale, "distanceScale")                            
// clang-format on

#define QM_UNIFORM_SLOT(slot, name) slot,
enum class Uniform : unsigned char { QM_UNIFORMS(QM_UNIFORM_SLOT) Count };
#undef QM_UNIFORM_SLOT

// How many textures of one kind a classic material can bind (its programs
// read at most two), in consecutive slots from "material.diffuse0",
// "material.specular0" and "material.normal0".
inline constexpr std::size_t classicTexturesPerKind = 4;
static_assert(std::size_t(Uniform::materialDiffuse3) - std::size_t(Uniform::materialDiffuse0) + 1 ==
                  classicTexturesPerKind &&
              std::size_t(Uniform::materialSpecular3) - std::size_t(Uniform::materialSpecular0) + 1 ==
                  classicTexturesPerKind &&
              std::size_t(Uniform::materialNormal3) - std::size_t(Uniform::materialNormal0) + 1 ==
                  classicTexturesPerKind);

// The uniform's name in the GLSL.
const char* uniformName(Uniform uniform);

}  // namespace qm
