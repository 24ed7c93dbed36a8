#pragma once

namespace qm {

// Enters the runtime data's folder, builds the system, runs the main loop
// and tears everything down; returns the process exit code. The arguments
// are ignored.
int run(int argc, char** argv);

}  // namespace qm
