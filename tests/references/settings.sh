# The reference views of the shipped scene and how a picture is compared
# with its reference; read by tests/e2e/references.sh and
# scripts/update-references.

# Every view: this size, this many frames on the fixed time step.
width=640
height=360
common_options="--frames 5 --resolution ${width}x${height}"

# A pixel has changed when its colour moved by more than this share of the
# full range (ImageMagick's -fuzz), and a view fails when more than this
# share of its pixels (691 of 230400) changed. Chosen from measurements:
# runs, threads and the debug and release builds give identical pictures on
# llvmpipe; Mesa's other software rasterizer (softpipe), a stand-in for
# another machine's driver, changes at most 201 pixels by this much (the
# street view); the subtlest planted fault, the focus, changes 1027.
colour_tolerance=4%
changed_share=0.003

views="start street moor glimmet near-focus"
# Small files of each kind of surface (tests/data/materials), framed as
# the viewer frames a model of one's own.
models=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../data/materials")
model_views="spheres emissive masked blended double-sided vertex-colours points lines classic lights layers texcoord-sets"
views="$views $model_views"
# Small animated files (tests/data/animation), each early in its first clip
# and at its turning point, where the two pictures differ most.
animations=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../data/animation")
animation_views="node-box-early node-box-late morph-cube-early morph-cube-late skinned-bar-early skinned-bar-late"
# Two boxes half way up, one rising in a step and one on a cubic spline.
animation_views="$animation_views steps-and-splines"
views="$views $animation_views"
# The test box whose walls glow with their emissive picture alone moved
# (tests/data/formats).
formats=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../data/formats")
views="$views box-glowing"

# The camera (x,y,z,yaw,pitch), exposure and focus of each view.
view_options() {
    case $1 in
    # Where the viewer starts: the stone circle, the hamlet and the sunset sky.
    start) echo "--camera 0,20,2,-90,0 --exposure 3 --focus 20" ;;
    # At eye height by a cottage, down the lane to the well and the cottages beyond.
    street) echo "--camera 24,2.6,-48,-66,0 --exposure 3 --focus 20" ;;
    # From a rise south of the hamlet: trees near and at middle distance
    # (levels 0 to 2), billboards beyond 200 units, the focus far.
    moor) echo "--camera 20,25,120,-95,-6 --exposure 3 --focus 150" ;;
    # A glimmet low over the stone circle, its glow spread by the bloom.
    glimmet) echo "--camera 4,9,-10,-90,-6 --exposure 3 --focus 20" ;;
    # Inside the stone circle, focused on the stone in front: the rest blurs.
    near-focus) echo "--camera -2,3,-14,-90,-4 --exposure 3 --focus 4" ;;
    spheres | emissive | masked | blended | double-sided | vertex-colours | points | lines | lights | texcoord-sets)
        echo "$models/$1.gltf" ;;
    # Straight at the spheres, near enough for the clear coat's bands to count.
    layers) echo "$models/$1.gltf --camera 0,0,3.2,-90,0" ;;
    # Classic materials: one at opacity 0 drawn opaque, one half transparent over it and the sky.
    classic) echo "$models/classic.dae" ;;
    node-box-early | morph-cube-early | skinned-bar-early) echo "$animations/${1%-early}.gltf --time 0.25" ;;
    node-box-late | morph-cube-late | skinned-bar-late) echo "$animations/${1%-late}.gltf --time 1" ;;
    steps-and-splines) echo "$animations/$1.gltf --time 0.5" ;;
    box-glowing) echo "$formats/$1.gltf" ;;
    *) return 1 ;;
    esac
}

# Deliberate faults, one a line: name|view that must catch it|program file|sed edit.
# A file named @FILE is the view's animated model file instead: a copy of
# it, edited, is what the view shows (a viewer that ignored what the edit
# takes away would draw the same).
faults="\
bloom-off|glimmet|postprocessing/thresholdSeparate.frag|s/brightOut = colour \* .*/brightOut = vec3(0.0);/
attachments-swapped|street|directionalQuad.frag|s/texture(gAlbedo/texture(gSwapped/;s/texture(gNormals/texture(gAlbedo/;s/gSwapped/gNormals/
normal-map-ignored|street|material_standard.frag|s/vec3 n = perturbNormal(.*/vec3 n = N;/
focus-ignored|near-focus|postprocessing/dof.frag|s/uniform float focusDepth;/const float focusDepth = 20.0;/;s/uniform float maxDepth;/const float maxDepth = 75.0;/
metallic-ignored|spheres|material.glsl|s/m.metallic = clamp(.*/m.metallic = 0.0;/
emission-off|emissive|pbr.frag|s/gEmissionOut = m.emission;/gEmissionOut = vec3(0.0);/
mask-ignored|masked|pbr.frag|s/if (m.baseColour.a < alphaCutoff)/if (false)/
forward-pass-skipped|blended|forward.frag|s/colourOut = vec4(light, blendedSurface ? m.baseColour.a : 1.0);/colourOut = vec4(0.0);/
sky-over-blended|classic|postprocessing/mergeHDR.frag|s/colour = vec4(linearToSrgb(mapped), coverage);/colour = vec4(linearToSrgb(mapped), 0.0);/
back-not-turned|double-sided|material.glsl|s/N = -N;/N = N;/
vertex-colours-dropped|vertex-colours|material.glsl|s/ \* vertexColour;/;/
point-colours-dropped|points|unlit.frag|s/\* vertexColour;/* vec4(1.0);/
lines-unlit-lost|lines|directionalQuad.frag|s/lightOut = albedo;/lightOut = vec3(0.0);/
bones-ignored|skinned-bar-late|deformation.glsl|s/position = (skin \* vec4(position, 1.0)).xyz;/position = position;/
morph-weights-ignored|morph-cube-late|deformation.glsl|s/position += weight \*/position += 0.0 */
spot-cone-ignored|lights|brdf.glsl|s/return along \* along;/return 1.0;/
directional-lights-dropped|lights|directionalLights.glsl|s/uniform int directionalCount;/const int directionalCount = 0;/
clearcoat-off|layers|forward.frag|s/uniform float clearcoat;/const float clearcoat = 0.0;/
layer-pictures-ignored|layers|forward.frag|s/clearcoat \* texture(layerMaps\[0\], layerCoord(0)).r,/clearcoat,/
transmission-ignored|layers|forward.frag|s/uniform float transmission;/const float transmission = 0.0;/
second-set-ignored|texcoord-sets|material.glsl|s/set == 1 ? texCoord1 : texCoord/texCoord/
picture-transform-ignored|box-glowing|material.glsl|s/pictureCoord(4)/pictureCoord(0)/
step-ignored|steps-and-splines|@steps-and-splines.gltf|s/\"STEP\"/\"LINEAR\"/
cubic-tangents-ignored|steps-and-splines|@steps-and-splines.gltf|s/\"output\": 6,/\"output\": 7,/
node-channels-ignored|node-box-late|@node-box.gltf|s/\"node\": 0,/\"node\": 1,/
"
