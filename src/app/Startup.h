#pragma once

namespace qm {

// Builds the system, runs the main loop and tears everything down; returns
// the process exit code. The arguments are ignored.
int run(int argc, char** argv);

}  // namespace qm
