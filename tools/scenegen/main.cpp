#include <iostream>

#include "Moorland.h"

// Writes the moorland scene's assets into the folder given as the only argument.
int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " <output folder>" << std::endl;
        return 2;
    }
    return scenegen::generateMoorland(argv[1]) ? 0 : 1;
}
