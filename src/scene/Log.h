#pragma once

#include <iostream>

namespace qm {

// Where library code reports: progress (the console's standard output, for
// the viewer) and problems (its standard error). A caller holds progress
// back with a stream that writes nowhere, or gives streams of its own.
struct Log {
    std::ostream* progress = &std::cout;
    std::ostream* problems = &std::cerr;
};

}  // namespace qm
