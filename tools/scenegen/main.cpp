#include <cstdlib>
#include <iostream>
#include <string>

#include "HeightField.h"
#include "Moorland.h"

// Writes the moorland scene's assets into the folder given as the only
// argument; with --small, only a small model file for the same assets, and
// with --large, a model of about two million distinct triangles; with
// --field N, a height field of N x N vertices (.ply, .stl or .glb).
int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--field")
        return scenegen::writeHeightField(argv[3], std::atoi(argv[2])) ? 0 : 1;
    if (argc == 3 && std::string(argv[1]) == "--small")
        return scenegen::writeSmallModel(argv[2]) ? 0 : 1;
    if (argc == 3 && std::string(argv[1]) == "--large")
        return scenegen::writeLargeModel(argv[2]) ? 0 : 1;
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " <output folder>\n       " << argv[0] << " --small <model file>\n       "
                  << argv[0] << " --large <model file>\n       " << argv[0] << " --field <side> <model file>" << std::endl;
        return 2;
    }
    return scenegen::generateMoorland(argv[1]) ? 0 : 1;
}
