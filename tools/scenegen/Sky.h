#pragma once

#include "Image.h"

namespace scenegen {

// Face number 0..5 of the dusk sky cube map, in OpenGL's order +X, -X, +Y, -Y, +Z, -Z,
// oriented as OpenGL samples cube maps (row 0 of the image is the first row uploaded).
// The colour depends only on the direction, so the faces meet without seams.
Image skyFace(int face, int size);

}  // namespace scenegen
