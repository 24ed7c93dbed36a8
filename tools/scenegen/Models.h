#pragma once

#include "GenMesh.h"

// The scene's shared meshes. Each stands on y = 0, centred on the y axis
// (the viewer's billboards are framed around the mesh origin), at the size
// of one unit per metre. Texture coordinates suit the material named in
// the comment.
namespace scenegen::models {

GenMesh glimmet();             // Glimmet: body, head and two wings
GenMesh standingStoneTall();   // MossyStone
GenMesh standingStoneSquat();  // MossyStone
GenMesh altarStone();          // MossyStone
GenMesh boulderRound();        // Stone
GenMesh boulderFlat();         // Stone
GenMesh cottageWalls();        // Whitewash: 8 x 5 floor, walls 3 high, gables to 5
GenMesh cottageRoof();         // Thatch: sits on the walls at height 3
GenMesh cottageChimney();      // Stone
GenMesh cottageDoor();         // Wood
GenMesh cottageWindows();      // Lamplight: one in the front wall beside the door, two at the back
GenMesh chapelNave();          // Stone: 14 x 7 floor, walls 5 high, gables to 8.5
GenMesh chapelRoof();          // Slate: sits on the nave at height 5
GenMesh chapelTower();         // Stone: 3.4 square, 12 high
GenMesh chapelSpire();         // Slate: sits on the tower
GenMesh chapelWindows();       // Lamplight: four tall ones in each long wall
GenMesh wellBase();            // Stone
GenMesh wellRoof();            // Wood: posts, beam and a small roof
GenMesh drystoneWall();        // Stone: one 6-unit segment along x
GenMesh fenceSegment();        // Wood: one 4-unit segment along x
GenMesh treeOak();             // Woodland atlas
GenMesh treePine();            // Woodland atlas
GenMesh treeBirch();           // Woodland atlas
GenMesh treeRowan();           // Woodland atlas
GenMesh gorseBush();           // Gorse
GenMesh pathFlagstones();      // Gravel: a cluster of flat stones, about 3 x 2
GenMesh signpost();            // Wood
GenMesh lanternPost();         // Wood: a post 2.4 high with an arm towards +x
GenMesh lanternGlass();        // Lamplight: hangs from the post's arm
GenMesh lightSphere();         // the unit sphere of the light volumes

// A square terrain tile of the given size centred on (centreX, centreZ),
// heights from the function, texture coordinates in world units / 8.
GenMesh terrainTile(float centreX, float centreZ, float size, int quads, float (*height)(float, float));

}  // namespace scenegen::models
